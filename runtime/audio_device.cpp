// Binds the output loop to the platform's device and runs the pump every 5 ms.
#include "runtime/audio_device.hpp"

#include <pthread.h>
#include <sched.h>
#include <chrono>
#include "runtime/platform/platform.hpp"
#include "runtime/platform/scripted_platform.hpp"

namespace rt {

AudioDevice::~AudioDevice() { close(); }

bool AudioDevice::open() {
  platform_ = &platform::current();
  if (!platform_->open_audio(&AudioDevice::pull, this)) {
    platform_ = nullptr;
    return false;
  }
  if (auto* scripted = dynamic_cast<platform::ScriptedPlatform*>(platform_)) {
    scripted_ = true;
    scripted->set_audio_pump([this] { run_pump(); });
  } else {
    stopping_.store(false);
    pump_ = std::thread([this] { pump_loop(); });
    // The device's own thread runs ahead of ordinary threads; a pump starved by a busy machine would let
    // it catch up and fall silent, so the pump asks for real-time scheduling too (refused: it runs as is).
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_RR);
    pthread_setschedparam(pump_.native_handle(), SCHED_RR, &priority);
  }
  return true;
}

bool AudioDevice::on_current_platform() const {
  return platform_ && platform::installed() && &platform::current() == platform_;
}

void AudioDevice::close() {
  if (!platform_) return;
  if (!scripted_) {
    stopping_.store(true);
    pump_.join();
  }
  // A platform that has been replaced is gone already, and its device with it.
  if (!on_current_platform()) {
    platform_ = nullptr;
    return;
  }
  if (scripted_) {
    static_cast<platform::ScriptedPlatform*>(platform_)->set_audio_pump(nullptr);
  }
  platform_->close_audio();
  platform_ = nullptr;
}

void AudioDevice::pull(void* context, std::int16_t* out, int frames) {
  static_cast<AudioDevice*>(context)->output_.pull(out, frames);
}

void AudioDevice::run_pump() { output_.pump(platform_->clock_ms()); }

void AudioDevice::pump_loop() {
  // Re-armed after each run, like a one-shot timer, so a slow run never queues up more runs.
  while (!stopping_.load()) {
    run_pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(kPumpPeriodMs));
  }
}

}  // namespace rt
