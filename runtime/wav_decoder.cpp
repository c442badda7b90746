// WAV reader: uncompressed PCM, mono or stereo, 8 or 16 bits, every length checked against the file.
#include <limits>
#include "runtime/sound.hpp"

namespace rt {
namespace {

std::uint32_t u32_at(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint32_t u16_at(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}

bool tag_at(const std::string& b, std::size_t at, const char* tag) {
  return b.compare(at, 4, tag) == 0;
}

}  // namespace

std::optional<SoundClip> decode_wav(const std::string& bytes) {
  const std::size_t size = bytes.size();
  if (size < 20 || !tag_at(bytes, 0, "RIFF") || !tag_at(bytes, 8, "WAVE") || !tag_at(bytes, 12, "fmt ")) {
    return std::nullopt;
  }
  const std::uint64_t fmt_length = u32_at(bytes, 16);
  if (fmt_length < 16 || 20 + fmt_length > size) return std::nullopt;
  const std::uint32_t format = u16_at(bytes, 20);
  const std::uint32_t channels = u16_at(bytes, 22);
  const std::uint32_t rate = u32_at(bytes, 24);
  const std::uint32_t bits = u16_at(bytes, 34);
  if (format != 1 || (channels != 1 && channels != 2) || (bits != 8 && bits != 16)) return std::nullopt;
  if (rate == 0 || rate > static_cast<std::uint32_t>(kMaxSoundRate)) return std::nullopt;

  std::uint64_t at = 20 + fmt_length;
  while (at + 8 <= size) {
    const std::uint64_t length = u32_at(bytes, at + 4);
    if (tag_at(bytes, at, "data")) {
      // A data chunk shorter than its header says fails to read, and a file that fails while it is
      // read gives no clip.
      if (length > size - (at + 8)) return std::nullopt;
      const std::uint32_t frame_bytes = channels * bits / 8;
      const std::uint64_t frames = length / frame_bytes;
      if (frames > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return std::nullopt;
      SoundClip clip;
      clip.frames = static_cast<int>(frames);
      clip.channels = static_cast<int>(channels);
      clip.bits = static_cast<int>(bits);
      clip.rate = static_cast<int>(rate);
      const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data()) + at + 8;
      clip.samples.assign(first, first + static_cast<std::size_t>(clip.frames) * frame_bytes);
      return clip;
    }
    at += 8 + length;
  }
  return std::nullopt;
}

}  // namespace rt
