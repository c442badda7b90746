// Ogg Vorbis reader: decodes a whole stream held in memory to 16-bit PCM through vorbisfile.
#include <vorbis/vorbisfile.h>
#include <algorithm>
#include <cstring>
#include <limits>
#include "runtime/sound.hpp"

namespace rt {
namespace {

struct MemoryStream {
  const std::string* bytes;
  std::size_t at = 0;
};

std::size_t read_memory(void* out, std::size_t size, std::size_t count, void* source) {
  auto* stream = static_cast<MemoryStream*>(source);
  if (size == 0) return 0;
  const std::size_t left = stream->bytes->size() - stream->at;
  const std::size_t items = std::min(count, left / size);
  std::memcpy(out, stream->bytes->data() + stream->at, items * size);
  stream->at += items * size;
  return items;
}

std::int16_t to_pcm16(float v) {
  const float scaled = v * 32768.0f;
  if (scaled >= 32767.0f) return 32767;
  if (scaled <= -32768.0f) return -32768;
  return static_cast<std::int16_t>(scaled);
}

std::uint8_t* put_pcm16(std::uint8_t* out, std::int16_t v) {
  out[0] = static_cast<std::uint8_t>(v & 0xff);
  out[1] = static_cast<std::uint8_t>((v >> 8) & 0xff);
  return out + 2;
}

// The samples gather in blocks joined once at the end: one growing buffer would be copied over and
// over, and leave large freed buffers behind.
class SampleBlocks {
 public:
  // Room for `bytes` more samples, to be filled at once.
  std::uint8_t* extend(std::size_t bytes) {
    if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < bytes) {
      blocks_.emplace_back().reserve(std::max(kBlockBytes, bytes));
    }
    std::vector<std::uint8_t>& block = blocks_.back();
    block.resize(block.size() + bytes);
    total_ += bytes;
    return block.data() + block.size() - bytes;
  }
  std::vector<std::uint8_t> join() const {
    std::vector<std::uint8_t> all;
    all.reserve(total_);
    for (const std::vector<std::uint8_t>& block : blocks_) all.insert(all.end(), block.begin(), block.end());
    return all;
  }

 private:
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
  std::vector<std::vector<std::uint8_t>> blocks_;
  std::size_t total_ = 0;
};

}  // namespace

std::optional<SoundClip> decode_ogg(const std::string& bytes) {
  MemoryStream stream{&bytes};
  // Read as a stream, never seeking: a seekable open takes the length from the last page, where a
  // damaged file can claim gigabytes, and leaks inside vorbisfile when a damaged chain fails it.
  const ov_callbacks callbacks{read_memory, nullptr, nullptr, nullptr};
  OggVorbis_File file;
  if (ov_open_callbacks(&stream, &file, nullptr, 0, callbacks) != 0) return std::nullopt;

  const vorbis_info* info = ov_info(&file, -1);
  if (info->rate <= 0 || info->rate > kMaxSoundRate) {
    ov_clear(&file);
    return std::nullopt;
  }
  SoundClip clip;
  clip.bits = 16;
  clip.channels = info->channels == 1 ? 1 : 2;
  clip.rate = static_cast<int>(info->rate);

  bool damaged = false;
  std::int64_t frames = 0;
  SampleBlocks samples;
  for (;;) {
    float** pcm = nullptr;
    int section = 0;
    const long got = ov_read_float(&file, &pcm, 4096, &section);
    if (got == OV_HOLE) continue;  // a gap in the stream: decoding goes on after it
    if (got < 0) {
      damaged = true;
      break;
    }
    if (got == 0) break;
    // Chained streams may change layout; each link's own channel count says where its samples are.
    const int link_channels = ov_info(&file, section)->channels;
    const float* left = pcm[0];
    const float* right = pcm[link_channels > 1 ? 1 : 0];
    std::uint8_t* out = samples.extend(static_cast<std::size_t>(got) * clip.channels * 2);
    for (long i = 0; i < got; ++i) {
      out = put_pcm16(out, to_pcm16(left[i]));
      if (clip.channels == 2) out = put_pcm16(out, to_pcm16(right[i]));
    }
    frames += got;
  }
  ov_clear(&file);
  if (damaged || frames > std::numeric_limits<int>::max()) return std::nullopt;
  clip.frames = static_cast<int>(frames);
  clip.samples = samples.join();
  return clip;
}

}  // namespace rt
