// Writers of the small WAV and Ogg Vorbis files the sound tests decode and play.
#include "sound_test_files.hpp"

#include <vorbis/vorbisenc.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>
#include "runtime/sound.hpp"

namespace sound_test {

std::string le32(std::uint32_t v) {
  return std::string{static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff),
                     static_cast<char>((v >> 16) & 0xff), static_cast<char>((v >> 24) & 0xff)};
}

std::string le16(std::uint32_t v) { return std::string{static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)}; }

std::string make_wav(const WavLayout& w, const std::string& data) {
  std::string fmt = le16(w.format) + le16(w.channels) + le32(w.rate) +
                    le32(w.rate * w.channels * w.bits / 8) + le16(w.channels * w.bits / 8) + le16(w.bits) +
                    w.extra_fmt;
  std::string body = "WAVE";
  body += "fmt " + le32(static_cast<std::uint32_t>(fmt.size())) + fmt;
  for (const auto& [tag, bytes] : w.chunks_before_data) body += tag + le32(static_cast<std::uint32_t>(bytes.size())) + bytes;
  const auto length = w.declared_data_length >= 0 ? static_cast<std::uint32_t>(w.declared_data_length)
                                                  : static_cast<std::uint32_t>(data.size());
  body += "data" + le32(length) + data;
  return "RIFF" + le32(static_cast<std::uint32_t>(body.size())) + body;
}

std::string pcm16(const std::vector<std::int16_t>& samples) {
  std::string bytes;
  for (std::int16_t s : samples) bytes += le16(static_cast<std::uint16_t>(s));
  return bytes;
}

std::string make_ogg(const std::vector<float>& samples, int channels, int rate) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.4f) != 0) throw std::runtime_error("vorbis encoder refused");
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);

  std::string out;
  ogg_page page;
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  while (ogg_stream_flush(&stream, &page) != 0) {
    out.append(reinterpret_cast<char*>(page.header), page.header_len);
    out.append(reinterpret_cast<char*>(page.body), page.body_len);
  }

  const long frames = static_cast<long>(samples.size()) / channels;
  long done = 0;
  bool eos = false;
  while (!eos) {
    if (done < frames) {
      const long chunk = std::min(1024L, frames - done);
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(chunk));
      for (long i = 0; i < chunk; ++i) {
        for (int c = 0; c < channels; ++c) buffer[c][i] = samples[(done + i) * channels + c];
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(chunk));
      done += chunk;
    } else {
      vorbis_analysis_wrote(&dsp, 0);
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          out.append(reinterpret_cast<char*>(page.header), page.header_len);
          out.append(reinterpret_cast<char*>(page.body), page.body_len);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
  }
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

std::string write_temp_file(const std::string& name, const std::string& bytes) {
  const auto folder = std::filesystem::temp_directory_path() / ("sky_sound_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / name).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return path;
}

int load_wav_sound(const std::string& name, const std::vector<std::int16_t>& samples, int rate, int flags) {
  WavLayout layout;
  layout.rate = rate;
  return rt::load_sound(rt::from_latin1(write_temp_file(name, make_wav(layout, pcm16(samples)))), flags);
}

}  // namespace sound_test
