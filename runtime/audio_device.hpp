// The audio device: the platform's 44100 Hz stereo output fed by the output loop and its 5 ms pump.
#pragma once
#include <atomic>
#include <cstdint>
#include <thread>
#include "runtime/audio_output.hpp"
#include "runtime/mixer.hpp"

namespace rt {
namespace platform {
class Platform;
}

class AudioDevice {
 public:
  static constexpr int kPumpPeriodMs = 5;

  AudioDevice() = default;
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;
  ~AudioDevice();

  // Opens the installed platform's device and starts the pump; false when no device opens.
  // Scripted platforms get the pump as a hook to run deterministically instead of a thread.
  bool open();
  void close();
  // False once the platform the device was opened on has been replaced.
  bool on_current_platform() const;

  Mixer& mixer() { return mixer_; }
  AudioOutput& output() { return output_; }
  // One run of the pump at the platform's clock time.
  void run_pump();

 private:
  static void pull(void* context, std::int16_t* out, int frames);
  void pump_loop();

  Mixer mixer_;
  AudioOutput output_{mixer_};
  platform::Platform* platform_ = nullptr;
  bool scripted_ = false;
  std::thread pump_;
  std::atomic<bool> stopping_{false};
};

}  // namespace rt
