// The output loop: 32 fragments the device plays endlessly, kept mixed ahead of its play position.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>
#include "runtime/mixer.hpp"

namespace rt {

class AudioOutput {
 public:
  static constexpr int kFragments = 32;
  static constexpr int kFragmentFrames = 512;
  static constexpr int kFragmentBytes = kFragmentFrames * 4;  // 16-bit stereo
  static constexpr int kLoopFrames = kFragments * kFragmentFrames;
  static constexpr int kFirstLead = 6;
  static constexpr int kMaxLead = 10;
  static constexpr int kUnderrunLead = 2;
  static constexpr int kRestartRuns = 250;
  static constexpr std::uint32_t kMaxPosition = 0x10000000;

  explicit AudioOutput(Mixer& mixer) : mixer_(mixer) {}

  // Device thread: plays `frames` frames of the loop from the play position and advances it.
  void pull(std::int16_t* out, int frames);
  // Pump thread: one run of the pump at clock time now_ms.
  void pump(std::uint32_t now_ms);

  // Bytes played since the output was last started, as the device reports it.
  std::uint32_t play_position() const { return position_.load(std::memory_order_acquire); }
  bool playing() const { return running_.load(std::memory_order_acquire); }
  int lead_fragments() const { return lead_; }

 private:
  void silence();

  Mixer& mixer_;
  // One stereo frame per word, so the device and the pump never tear a sample.
  std::array<std::atomic<std::uint32_t>, kLoopFrames> loop_{};
  std::atomic<std::uint32_t> position_{0};
  std::atomic<bool> running_{true};
  // The pump's own.
  std::int64_t mixed_to_ = 0;  // bytes, on the play position's scale
  bool fresh_ = true;          // the output (re)started: mixing begins at the play position
  int lead_ = kFirstLead;
  int restart_in_ = 0;
  std::array<std::int16_t, kFragmentFrames * 2> fragment_{};
};

}  // namespace rt
