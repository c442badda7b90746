// JPEG encoding of opaque canvases through libjpeg.
#include "tools/jpeg_writer.hpp"

#include <cstdio>
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <stdexcept>

namespace gen {

namespace {

[[noreturn]] void fail(j_common_ptr) { throw std::runtime_error("libjpeg failed to encode"); }

}  // namespace

std::vector<std::uint8_t> encode_jpeg(const Canvas& canvas, int quality) {
  std::vector<std::uint8_t> pixels = canvas.rgb8();
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jerr.error_exit = fail;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(canvas.width());
  cinfo.image_height = static_cast<JDIMENSION>(canvas.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = pixels.data() + static_cast<std::size_t>(cinfo.next_scanline) * canvas.width() * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

}  // namespace gen
