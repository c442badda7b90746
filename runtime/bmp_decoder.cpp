// BMP pictures: uncompressed 1, 4, 8-bit palette and 24, 32-bit true colour, either row order.
#include <cstdint>

#include "runtime/image.hpp"

namespace rt {
namespace {

std::uint32_t u16_at(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::uint32_t u32_at(const std::string& b, std::size_t at) {
  return u16_at(b, at) | u16_at(b, at + 2) << 16;
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

struct Layout {
  int width = 0, height = 0;
  bool top_down = false;
  int bits = 0;
  std::size_t pixel_offset = 0;
  std::size_t palette_offset = 0;
  std::size_t palette_entry_size = 4;
  std::size_t palette_count = 0;
  bool alpha = false;
};

// Reads and checks the headers; every byte the decoding will touch lies inside the file.
std::optional<Layout> read_layout(const std::string& b) {
  if (b.size() < kFileHeaderSize + kCoreHeaderSize || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  Layout l;
  l.pixel_offset = u32_at(b, 10);
  const std::uint32_t header_size = u32_at(b, kFileHeaderSize);
  if (header_size < kCoreHeaderSize || header_size > b.size() - kFileHeaderSize) return std::nullopt;
  std::uint32_t compression = kUncompressed;
  std::int64_t height = 0;
  std::uint32_t colours_used = 0;
  if (header_size == kCoreHeaderSize) {
    l.width = static_cast<int>(u16_at(b, 18));
    height = u16_at(b, 20);
    l.bits = static_cast<int>(u16_at(b, 24));
    l.palette_entry_size = 3;
  } else {
    if (header_size < 40) return std::nullopt;
    const auto width = static_cast<std::int32_t>(u32_at(b, 18));
    if (width <= 0) return std::nullopt;
    l.width = width;
    height = static_cast<std::int32_t>(u32_at(b, 22));
    l.bits = static_cast<int>(u16_at(b, 28));
    compression = u32_at(b, 30);
    colours_used = u32_at(b, 46);
  }
  l.top_down = height < 0;
  if (height < 0) height = -height;
  if (l.width <= 0 || height <= 0 || l.width > kMaxPictureSide || height > kMaxPictureSide) return std::nullopt;
  l.height = static_cast<int>(height);

  if (compression == kBitFields) {
    // Only the common byte-aligned layout of 32-bit pixels, with alpha when the header gives it a mask.
    if (l.bits != 32 || header_size < 52) return std::nullopt;
    const std::size_t masks = kFileHeaderSize + 40;
    if (u32_at(b, masks) != 0x00FF0000u || u32_at(b, masks + 4) != 0x0000FF00u ||
        u32_at(b, masks + 8) != 0x000000FFu) {
      return std::nullopt;
    }
    l.alpha = header_size >= 56 && u32_at(b, masks + 12) == 0xFF000000u;
  } else if (compression != kUncompressed) {
    return std::nullopt;
  }

  if (l.bits == 1 || l.bits == 4 || l.bits == 8) {
    const std::size_t most = std::size_t{1} << l.bits;
    l.palette_count = colours_used == 0 || colours_used > most ? most : colours_used;
    l.palette_offset = kFileHeaderSize + header_size;
    if (l.palette_offset + l.palette_count * l.palette_entry_size > b.size()) return std::nullopt;
  } else if (l.bits != 24 && l.bits != 32) {
    return std::nullopt;
  }

  const std::size_t stride = (static_cast<std::size_t>(l.width) * l.bits + 31) / 32 * 4;
  if (l.pixel_offset > b.size() || stride * l.height > b.size() - l.pixel_offset) return std::nullopt;
  return l;
}

std::uint32_t palette_colour(const std::string& b, const Layout& l, std::size_t index) {
  if (index >= l.palette_count) return 0xFF000000u;
  const std::size_t at = l.palette_offset + index * l.palette_entry_size;
  const std::uint32_t blue = static_cast<unsigned char>(b[at]);
  const std::uint32_t green = static_cast<unsigned char>(b[at + 1]);
  const std::uint32_t red = static_cast<unsigned char>(b[at + 2]);
  return 0xFF000000u | red << 16 | green << 8 | blue;
}

}  // namespace

std::optional<Picture> decode_bmp(const std::string& bytes) {
  const std::optional<Layout> layout = read_layout(bytes);
  if (!layout) return std::nullopt;
  const Layout& l = *layout;
  Picture picture;
  picture.width = l.width;
  picture.height = l.height;
  picture.has_alpha = l.alpha;
  picture.argb.resize(static_cast<std::size_t>(l.width) * l.height);

  const std::size_t stride = (static_cast<std::size_t>(l.width) * l.bits + 31) / 32 * 4;
  for (int y = 0; y < l.height; ++y) {
    const int file_row = l.top_down ? y : l.height - 1 - y;
    const auto* row = reinterpret_cast<const unsigned char*>(bytes.data() + l.pixel_offset + stride * file_row);
    std::uint32_t* out = &picture.argb[static_cast<std::size_t>(y) * l.width];
    for (int x = 0; x < l.width; ++x) {
      if (l.bits <= 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * l.bits;
        const unsigned shift = 8 - l.bits - static_cast<unsigned>(bit % 8);
        const std::size_t index = (row[bit / 8] >> shift) & ((1u << l.bits) - 1);
        out[x] = palette_colour(bytes, l, index);
      } else {
        const unsigned char* p = row + static_cast<std::size_t>(x) * (l.bits / 8);
        const std::uint32_t alpha = l.alpha ? p[3] : 0xFFu;
        out[x] = alpha << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
      }
    }
  }
  assign_picture_id(picture);
  return picture;
}

}  // namespace rt
