// The output loop's two sides: the device playing it and the 5 ms pump mixing ahead of the device.
#include "runtime/audio_output.hpp"

#include <algorithm>

namespace rt {

void AudioOutput::pull(std::int16_t* out, int frames) {
  if (!running_.load(std::memory_order_acquire)) {
    std::fill(out, out + 2 * frames, std::int16_t{0});
    return;
  }
  std::uint32_t position = position_.load(std::memory_order_acquire);
  const std::uint32_t first = position / 4;
  for (int i = 0; i < frames; ++i) {
    const std::uint32_t frame = loop_[(first + static_cast<std::uint32_t>(i)) % kLoopFrames].load(std::memory_order_relaxed);
    out[2 * i] = static_cast<std::int16_t>(frame & 0xffff);
    out[2 * i + 1] = static_cast<std::int16_t>(frame >> 16);
  }
  // A reset by the pump in the meantime wins: the position then stays where the pump put it.
  position_.compare_exchange_strong(position, position + static_cast<std::uint32_t>(frames) * 4,
                                    std::memory_order_acq_rel);
}

void AudioOutput::silence() {
  for (auto& frame : loop_) frame.store(0, std::memory_order_relaxed);
}

void AudioOutput::pump(std::uint32_t now_ms) {
  if (restart_in_ > 0) {
    if (--restart_in_ > 0) return;
    position_.store(0, std::memory_order_release);
    fresh_ = true;
    running_.store(true, std::memory_order_release);
  }
  std::uint32_t position = position_.load(std::memory_order_acquire);
  if (position > kMaxPosition) {
    // The position counter is about to be useless: start the loop over from its first fragment.
    silence();
    position_.store(0, std::memory_order_release);
    position = 0;
    fresh_ = true;
  } else if (!fresh_ && mixed_to_ - static_cast<std::int64_t>(position) < kUnderrunLead * kFragmentBytes) {
    // The device caught up with the mix: go quiet for a while and come back with a longer lead.
    running_.store(false, std::memory_order_release);
    silence();
    position_.store(0, std::memory_order_release);
    lead_ = std::min(lead_ + 2, kMaxLead);
    restart_in_ = kRestartRuns;
    return;
  }
  if (fresh_) {
    mixed_to_ = (static_cast<std::int64_t>(position) + kFragmentBytes - 1) / kFragmentBytes * kFragmentBytes;
    fresh_ = false;
  }
  bool taken_up = false;
  while (mixed_to_ - static_cast<std::int64_t>(position) < static_cast<std::int64_t>(lead_) * kFragmentBytes) {
    if (!taken_up) {
      mixer_.take_up_started(now_ms);
      taken_up = true;
    }
    mixer_.mix(fragment_.data(), kFragmentFrames);
    const auto base = static_cast<std::size_t>((mixed_to_ / kFragmentBytes) % kFragments) * kFragmentFrames;
    for (int i = 0; i < kFragmentFrames; ++i) {
      const auto left = static_cast<std::uint16_t>(fragment_[2 * i]);
      const auto right = static_cast<std::uint16_t>(fragment_[2 * i + 1]);
      loop_[base + i].store(left | static_cast<std::uint32_t>(right) << 16, std::memory_order_relaxed);
    }
    mixed_to_ += kFragmentBytes;
  }
}

}  // namespace rt
