// Images: loading pictures (PNG, JPEG, BMP, TGA), the mask step and image handles.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include "runtime/picture.hpp"
#include "runtime/text.hpp"

namespace rt {

enum ImageFlags : int { IMAGE_MASKED = 1, IMAGE_FILTERED = 2, IMAGE_MIPMAPPED = 4, IMAGE_PLAIN = 8 };

struct Image {
  std::shared_ptr<const Picture> picture;  // shared between loads of the same file with the same flags
  int flags = 0;
  int mask_r = 0, mask_g = 0, mask_b = 0;
  float handle_x = 0.0f, handle_y = 0.0f;
};

int load_image(const String& path, int flags);

// A load to come: the path and flags load_image will be given.
struct ImageLoad {
  String path;
  int flags;
};
// Starts decoding these pictures on background threads, under the current drawing state, so that the
// loads to come find them decoded (or wait for them). Pictures already loaded are skipped, and what an
// earlier call left untaken is dropped. Handles and failures stay exactly as the loads alone make them.
void decode_pictures_ahead(const std::vector<ImageLoad>& loads);
// Pictures decoded, or being decoded, ahead that no load has taken yet.
int pictures_decoding_ahead();

// The image behind a handle. A handle of 0 or one that was never given ends the program with
// a message naming the picture files that failed to load.
const Image& image_for_use(int handle);

// Decoders: each returns no picture for a file it does not recognise or that is damaged.
// Pictures wider or taller than this are refused, so a damaged header cannot ask for a giant buffer.
constexpr int kMaxPictureSide = 16384;
using Decoder = std::optional<Picture> (*)(const std::string& bytes);
std::optional<Picture> decode_png(const std::string& bytes);
std::optional<Picture> decode_jpeg(const std::string& bytes);
std::optional<Picture> decode_bmp(const std::string& bytes);
std::optional<Picture> decode_tga(const std::string& bytes);
// Registers a decoder; the newest registered is tried first.
void register_image_decoder(Decoder decoder);
// Registers BMP, JPEG, PNG and TGA in that order, so pictures are tried as TGA, PNG, JPEG, BMP.
void register_image_decoders();

// The mask step: pixels of the mask colour become transparent, coloured from their neighbours.
Picture apply_mask(const Picture& picture, int mask_r, int mask_g, int mask_b);

// Forgets every loaded image and shared picture (tests only).
void reset_images();

}  // namespace rt
