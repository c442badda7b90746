// Small picture files made by the tests themselves: PNG and JPEG through the libraries, BMP and TGA by hand.
#pragma once
#include <jpeglib.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace picture_files {

// PNG of the given libpng colour type; samples are 8-bit unless bit_depth says otherwise.
inline std::string png(int width, int height, int colour_type, const std::vector<std::uint8_t>& samples,
                       int bit_depth = 8, const std::vector<png_color>& palette = {},
                       const std::vector<std::uint8_t>& palette_alpha = {}) {
  std::string out;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  png_set_write_fn(
      p, &out,
      [](png_structp w, png_bytep data, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(w))->append(reinterpret_cast<const char*>(data), n);
      },
      nullptr);
  png_set_IHDR(p, info, width, height, bit_depth, colour_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(p, info, palette.data(), static_cast<int>(palette.size()));
  if (!palette_alpha.empty()) {
    png_set_tRNS(p, info, palette_alpha.data(), static_cast<int>(palette_alpha.size()), nullptr);
  }
  png_write_info(p, info);
  const std::size_t row_bytes = png_get_rowbytes(p, info);
  std::vector<png_bytep> rows(height);
  for (int y = 0; y < height; ++y) rows[y] = const_cast<png_bytep>(samples.data() + row_bytes * y);
  png_write_image(p, rows.data());
  png_write_end(p, info);
  png_destroy_write_struct(&p, &info);
  return out;
}

// PNG from 0xAARRGGBB pixels, with or without its alpha channel.
inline std::string argb_png(int width, int height, const std::vector<std::uint32_t>& argb, bool alpha) {
  std::vector<std::uint8_t> s;
  for (std::uint32_t c : argb) {
    s.insert(s.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)});
    if (alpha) s.push_back(static_cast<std::uint8_t>(c >> 24));
  }
  return png(width, height, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, s);
}

inline std::string rgba_png(int width, int height, const std::vector<std::uint32_t>& argb) {
  return argb_png(width, height, argb, true);
}

inline std::string rgb_png(int width, int height, const std::vector<std::uint32_t>& rgb) {
  return argb_png(width, height, rgb, false);
}

inline std::string jpeg(int width, int height, int components, const std::vector<std::uint8_t>& samples,
                        bool progressive = false) {
  jpeg_compress_struct c{};
  jpeg_error_mgr errors{};
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = width;
  c.image_height = height;
  c.input_components = components;
  c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + static_cast<std::size_t>(c.next_scanline) * width * components);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

inline void put(std::string& s, std::uint32_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
}

// BMP with a 40-byte info header; rows are given top to bottom and stored in the order asked.
// bits 24 or 32 take 0xAARRGGBB colours; bits 8 takes palette indexes.
inline std::string bmp(int width, int height, int bits, const std::vector<std::uint32_t>& pixels,
                       bool top_down = false, const std::vector<std::uint32_t>& palette = {}) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
  std::string s = "BM";
  const std::uint32_t header[] = {offset + static_cast<std::uint32_t>(stride * height), 0, offset, 40,
                                  static_cast<std::uint32_t>(width),
                                  static_cast<std::uint32_t>(top_down ? -height : height)};
  for (std::uint32_t v : header) put(s, v);
  put(s, 1, 2);
  put(s, bits, 2);
  const std::uint32_t rest[] = {0, static_cast<std::uint32_t>(stride * height), 2835, 2835,
                                static_cast<std::uint32_t>(palette.size()), 0};
  for (std::uint32_t v : rest) put(s, v);
  for (std::uint32_t c : palette) put(s, c & 0xFFFFFF);
  for (int r = 0; r < height; ++r) {
    const int y = top_down ? r : height - 1 - r;
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = pixels[static_cast<std::size_t>(y) * width + x];
      for (int k = 0; k < bits / 8; ++k) row[static_cast<std::size_t>(x) * (bits / 8) + k] = static_cast<char>(c >> 8 * k);
    }
    s += row;
  }
  return s;
}

// TGA header for the given type (2, 3, 10, 11), depth and descriptor; pixel data is appended by the caller.
inline std::string tga_header(int type, int width, int height, int depth, int descriptor) {
  std::string s(12, '\0');
  s[2] = static_cast<char>(type);
  put(s, width, 2);
  put(s, height, 2);
  return s + static_cast<char>(depth) + static_cast<char>(descriptor);
}

inline std::string bgr(std::uint32_t argb) {
  return {static_cast<char>(argb), static_cast<char>(argb >> 8), static_cast<char>(argb >> 16)};
}

inline std::string bgra(std::uint32_t argb) { return bgr(argb) + static_cast<char>(argb >> 24); }

// A fresh folder for one test's files.
inline std::filesystem::path scratch_folder(const std::string& name) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("sky_pictures_" + std::to_string(::getpid()) + "_" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace picture_files
