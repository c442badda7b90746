// Builds WAV and Ogg Vorbis files in memory and on disk for the sound tests.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sound_test {

struct WavLayout {
  int format = 1;
  int channels = 1;
  int bits = 16;
  int rate = 44100;
  std::string extra_fmt;  // bytes after the 16 standard ones
  std::vector<std::pair<std::string, std::string>> chunks_before_data;
  long declared_data_length = -1;  // -1: the real length
};

std::string le32(std::uint32_t v);
std::string le16(std::uint32_t v);
std::string make_wav(const WavLayout& layout, const std::string& data);
// 16-bit samples as little-endian bytes.
std::string pcm16(const std::vector<std::int16_t>& samples);
// A whole Ogg Vorbis stream of the given interleaved float samples.
std::string make_ogg(const std::vector<float>& samples, int channels, int rate);

// A 16-bit mono WAV of the given samples and rate, written to a temporary file and loaded.
int load_wav_sound(const std::string& name, const std::vector<std::int16_t>& samples, int rate, int flags);

// Writes bytes to a fresh file under the test's temporary folder and returns its path.
std::string write_temp_file(const std::string& name, const std::string& bytes);

}  // namespace sound_test
