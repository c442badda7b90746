// PNG pictures decoded from memory through libpng, expanded to 8 bits per channel.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <utility>

#include "runtime/image.hpp"

namespace rt {
namespace {

struct PngInput {
  const unsigned char* data;
  std::size_t size;
  std::size_t pos;
};

// Everything the decoding touches after setjmp lives here, so a longjmp back leaves it intact.
struct PngJob {
  PngInput input{};
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<unsigned char> pixels;  // one row, or the whole picture when it is interlaced
  std::vector<png_bytep> rows;
  int width = 0, height = 0, channels = 0;
  Picture picture;
};

void read_from_memory(png_structp png, png_bytep out, png_size_t length) {
  auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
  if (length > input->size - input->pos) png_error(png, "truncated");
  std::memcpy(out, input->data + input->pos, length);
  input->pos += length;
}

[[noreturn]] void fail_quietly(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignore_warning(png_structp, png_const_charp) {}

// Deflate cannot shrink data by more than about 1032 to 1, so a header promising far more pixels
// than the file could hold is damaged; refusing it early avoids a giant allocation.
bool plausible_size(std::size_t file_size, std::size_t row_bytes, int height) {
  const double raw = (static_cast<double>(row_bytes) + 1.0) * height;
  return raw <= 1100.0 * static_cast<double>(file_size) + 65536.0;
}

void to_argb(const unsigned char* p, int channels, std::uint32_t* out, int width) {
  for (int x = 0; x < width; ++x, p += channels) {
    std::uint32_t r, g, b, a = 255;
    switch (channels) {
      case 1: r = g = b = p[0]; break;
      case 2: r = g = b = p[0]; a = p[1]; break;
      case 3: r = p[0]; g = p[1]; b = p[2]; break;
      default: r = p[0]; g = p[1]; b = p[2]; a = p[3]; break;
    }
    out[x] = (a << 24) | (r << 16) | (g << 8) | b;
  }
}

bool run(PngJob& job) {
  if (setjmp(png_jmpbuf(job.png))) return false;
  png_set_read_fn(job.png, &job.input, read_from_memory);
  png_set_user_limits(job.png, kMaxPictureSide, kMaxPictureSide);
  png_read_info(job.png, job.info);

  png_set_expand(job.png);
  png_set_strip_16(job.png);
  png_set_packing(job.png);
  const int passes = png_set_interlace_handling(job.png);
  png_read_update_info(job.png, job.info);

  job.width = static_cast<int>(png_get_image_width(job.png, job.info));
  job.height = static_cast<int>(png_get_image_height(job.png, job.info));
  job.channels = png_get_channels(job.png, job.info);
  const std::size_t row_bytes = png_get_rowbytes(job.png, job.info);
  if (job.width <= 0 || job.height <= 0 || job.channels < 1 || job.channels > 4 ||
      png_get_bit_depth(job.png, job.info) != 8 ||
      row_bytes != static_cast<std::size_t>(job.width) * job.channels ||
      !plausible_size(job.input.size, row_bytes, job.height)) {
    return false;
  }
  Picture& picture = job.picture;
  picture.width = job.width;
  picture.height = job.height;
  picture.has_alpha = job.channels == 2 || job.channels == 4;
  picture.argb.resize(static_cast<std::size_t>(job.width) * job.height);
  auto picture_row = [&](int y) { return picture.argb.data() + static_cast<std::size_t>(job.width) * y; };
  if (passes == 1) {
    // Row by row through one row's buffer: no second copy of the whole picture.
    job.pixels.resize(row_bytes);
    for (int y = 0; y < job.height; ++y) {
      png_read_row(job.png, job.pixels.data(), nullptr);
      to_argb(job.pixels.data(), job.channels, picture_row(y), job.width);
    }
  } else {
    // Interlaced passes fill in rows all over the picture, so it is decoded whole first.
    job.pixels.resize(row_bytes * job.height);
    job.rows.resize(job.height);
    for (int y = 0; y < job.height; ++y) job.rows[y] = job.pixels.data() + row_bytes * y;
    png_read_image(job.png, job.rows.data());
    for (int y = 0; y < job.height; ++y) to_argb(job.rows[y], job.channels, picture_row(y), job.width);
  }
  png_read_end(job.png, nullptr);
  return true;
}

}  // namespace

std::optional<Picture> decode_png(const std::string& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() < 8 || png_sig_cmp(data, 0, 8) != 0) return std::nullopt;

  PngJob job;
  job.input = {data, bytes.size(), 0};
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail_quietly, ignore_warning);
  if (!job.png) return std::nullopt;
  job.info = png_create_info_struct(job.png);
  const bool ok = job.info && run(job);
  png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
  if (!ok) return std::nullopt;
  assign_picture_id(job.picture);
  return std::move(job.picture);
}

}  // namespace rt
