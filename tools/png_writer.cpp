// PNG encoding of canvases through libpng: RGBA with alpha, or RGB for opaque pictures.
#include "tools/png_writer.hpp"

#include <png.h>

#include <stdexcept>

namespace gen {

namespace {

void append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void no_flush(png_structp) {}

}  // namespace

std::vector<std::uint8_t> encode_png(const Canvas& canvas, bool with_alpha) {
  std::vector<std::uint8_t> pixels = with_alpha ? canvas.rgba8() : canvas.rgb8();
  const int channels = with_alpha ? 4 : 3;
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng could not start");
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed to encode");
  }
  png_set_write_fn(png, &out, append, no_flush);
  png_set_IHDR(png, info, canvas.width(), canvas.height(), 8, with_alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 6);
  png_write_info(png, info);
  for (int y = 0; y < canvas.height(); ++y) {
    png_write_row(png, pixels.data() + static_cast<std::size_t>(y) * canvas.width() * channels);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace gen
