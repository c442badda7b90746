// TGA pictures: true colour (24, 32-bit) and grey (8-bit, 16-bit with alpha), plain or run-length coded.
#include <cstdint>

#include "runtime/image.hpp"

namespace rt {
namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr int kTrueColour = 2, kGrey = 3, kRleTrueColour = 10, kRleGrey = 11;

unsigned byte_at(const std::string& b, std::size_t at) { return static_cast<unsigned char>(b[at]); }

std::uint32_t argb_of(const unsigned char* p, int bytes_per_pixel) {
  switch (bytes_per_pixel) {
    case 1: return 0xFF000000u | std::uint32_t{p[0]} * 0x010101u;
    case 2: return std::uint32_t{p[1]} << 24 | std::uint32_t{p[0]} * 0x010101u;
    case 3: return 0xFF000000u | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    default: return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
  }
}

// Unpacks pixels in file order; false when the data ends before every pixel is filled.
bool read_pixels(const std::string& b, std::size_t at, bool rle, int bytes_per_pixel,
                 std::vector<std::uint32_t>& out) {
  const auto* data = reinterpret_cast<const unsigned char*>(b.data());
  const std::size_t size = b.size();
  const std::size_t total = out.size();
  const std::size_t pixel_size = static_cast<std::size_t>(bytes_per_pixel);
  if (!rle) {
    if (total * pixel_size > size - at) return false;
    for (std::size_t i = 0; i < total; ++i) out[i] = argb_of(data + at + i * pixel_size, bytes_per_pixel);
    return true;
  }
  std::size_t filled = 0;
  while (filled < total) {
    if (at >= size) return false;
    const unsigned packet = data[at++];
    const std::size_t count = (packet & 0x7F) + 1;
    // A packet may run past the end of a row but never past the picture.
    if (count > total - filled) return false;
    if (packet & 0x80) {
      if (pixel_size > size - at) return false;
      const std::uint32_t colour = argb_of(data + at, bytes_per_pixel);
      at += pixel_size;
      for (std::size_t i = 0; i < count; ++i) out[filled++] = colour;
    } else {
      if (count * pixel_size > size - at) return false;
      for (std::size_t i = 0; i < count; ++i, at += pixel_size) out[filled++] = argb_of(data + at, bytes_per_pixel);
    }
  }
  return true;
}

}  // namespace

std::optional<Picture> decode_tga(const std::string& bytes) {
  // TGA has no signature, and it is tried before the other formats: every header field is checked.
  if (bytes.size() < kHeaderSize) return std::nullopt;
  const unsigned id_length = byte_at(bytes, 0);
  const unsigned colour_map_type = byte_at(bytes, 1);
  const int type = static_cast<int>(byte_at(bytes, 2));
  const std::size_t map_length = byte_at(bytes, 5) | byte_at(bytes, 6) << 8;
  const unsigned map_entry_bits = byte_at(bytes, 7);
  const int width = static_cast<int>(byte_at(bytes, 12) | byte_at(bytes, 13) << 8);
  const int height = static_cast<int>(byte_at(bytes, 14) | byte_at(bytes, 15) << 8);
  const unsigned depth = byte_at(bytes, 16);
  const unsigned descriptor = byte_at(bytes, 17);

  if (colour_map_type > 1) return std::nullopt;
  const bool grey = type == kGrey || type == kRleGrey;
  const bool true_colour = type == kTrueColour || type == kRleTrueColour;
  if (!grey && !true_colour) return std::nullopt;
  if (grey && depth != 8 && depth != 16) return std::nullopt;
  if (true_colour && depth != 24 && depth != 32) return std::nullopt;
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide) return std::nullopt;
  if (descriptor & 0xC0) return std::nullopt;

  const std::size_t map_bytes = colour_map_type == 1 ? map_length * ((map_entry_bits + 7) / 8) : 0;
  const std::size_t data_at = kHeaderSize + id_length + map_bytes;
  if (data_at > bytes.size()) return std::nullopt;

  // A run-length packet covers at most 128 pixels, so the file's size bounds the picture's.
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  if (pixels > (bytes.size() - data_at) * 128) return std::nullopt;

  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.has_alpha = depth == 32 || (grey && depth == 16);
  std::vector<std::uint32_t> file_order(pixels);
  const bool rle = type == kRleTrueColour || type == kRleGrey;
  if (!read_pixels(bytes, data_at, rle, static_cast<int>(depth / 8), file_order)) return std::nullopt;

  // Rows are stored bottom-up unless the descriptor says top-down; columns may run right to left.
  const bool top_down = descriptor & 0x20;
  const bool right_to_left = descriptor & 0x10;
  picture.argb.resize(file_order.size());
  for (int y = 0; y < height; ++y) {
    const int src_y = top_down ? y : height - 1 - y;
    const std::uint32_t* src = &file_order[static_cast<std::size_t>(src_y) * width];
    std::uint32_t* dst = &picture.argb[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x) dst[x] = src[right_to_left ? width - 1 - x : x];
  }
  assign_picture_id(picture);
  return picture;
}

}  // namespace rt
