// WAV files written directly: 16-bit PCM at 44100 Hz, stereo.
#include "tools/wav_writer.hpp"

#include <algorithm>
#include <cmath>

namespace gen {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xff));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

void tag(std::vector<std::uint8_t>& out, const char* t) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(t[i]));
}

std::int16_t to_pcm(float v) {
  return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}

}  // namespace

std::vector<std::uint8_t> encode_wav(const StereoBuffer& sound) {
  const std::uint32_t data_bytes = static_cast<std::uint32_t>(sound.frames() * 4);
  std::vector<std::uint8_t> out;
  out.reserve(44 + data_bytes);
  tag(out, "RIFF");
  put32(out, 36 + data_bytes);
  tag(out, "WAVE");
  tag(out, "fmt ");
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, 2);
  put32(out, kSampleRate);
  put32(out, kSampleRate * 4);
  put16(out, 4);
  put16(out, 16);
  tag(out, "data");
  put32(out, data_bytes);
  for (std::size_t i = 0; i < sound.frames(); ++i) {
    put16(out, static_cast<std::uint16_t>(to_pcm(sound.left[i])));
    put16(out, static_cast<std::uint16_t>(to_pcm(sound.right[i])));
  }
  return out;
}

}  // namespace gen
