// Ogg Vorbis encoding through libvorbisenc, with a fixed stream serial so the bytes never change.
#include "tools/ogg_writer.hpp"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace gen {

namespace {

void take_page(std::vector<std::uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<std::uint8_t> encode_ogg(const StereoBuffer& sound, int serial, float quality) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 2, kSampleRate, quality) != 0) {
    vorbis_info_clear(&info);
    throw std::runtime_error("vorbis encoder refused its settings");
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "TITLE", "Sky Freight");
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);

  std::vector<std::uint8_t> out;
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) take_page(out, page);

  const std::size_t chunk = 4096;
  std::size_t pos = 0;
  bool done = false;
  while (!done) {
    std::size_t n = std::min(chunk, sound.frames() - pos);
    if (n == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
      for (std::size_t i = 0; i < n; ++i) {
        buffer[0][i] = sound.left[pos + i];
        buffer[1][i] = sound.right[pos + i];
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(n));
      pos += n;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          take_page(out, page);
          if (ogg_page_eos(&page)) done = true;
        }
      }
    }
    if (n == 0) done = true;
  }
  while (ogg_stream_flush(&stream, &page) != 0) take_page(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace gen
