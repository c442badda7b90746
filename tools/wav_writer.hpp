// WAV files written directly: 16-bit PCM at 44100 Hz, stereo.
#pragma once
#include <cstdint>
#include <vector>

namespace gen {

constexpr int kSampleRate = 44100;

// Interleaved stereo frames, each sample -1..1 (clipped).
struct StereoBuffer {
  std::vector<float> left, right;
  std::size_t frames() const { return left.size(); }
  void resize(std::size_t n) {
    left.assign(n, 0.0f);
    right.assign(n, 0.0f);
  }
};

std::vector<std::uint8_t> encode_wav(const StereoBuffer& sound);

}  // namespace gen
