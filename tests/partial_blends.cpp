// Counting partial blends per pixel by replaying a frame's translucent shapes as +1 layers.
#include "tests/partial_blends.hpp"

#include <map>
#include <tuple>

namespace frame_replay {
namespace {

constexpr rt::Colour kOneLevel{1, 1, 1, 255};
constexpr int kAdd = 4;
constexpr int kAlphaBlend = 3;
constexpr int kMultiply = 5;

bool blends(int mode) { return mode == kAlphaBlend || mode == kAdd || mode == kMultiply; }

// Opaque white where the quad blends partially, clear elsewhere.
std::shared_ptr<const rt::Picture> partial_texels(const rt::Picture& picture, int mode, rt::Colour colour) {
  auto mask = std::make_shared<rt::Picture>();
  mask->width = picture.width;
  mask->height = picture.height;
  mask->has_alpha = true;
  mask->argb.reserve(picture.argb.size());
  for (std::uint32_t texel : picture.argb) {
    const std::uint32_t a = picture.has_alpha ? texel >> 24 : 255;
    const bool partial = mode == kMultiply || (a > 0 && (a < 255 || colour.a < 255));
    mask->argb.push_back(partial ? 0xFFFFFFFFu : 0u);
  }
  return mask;
}

}  // namespace

image_compare::BlendCounts count_partial_blends(const RecordedFrame& frame) {
  RecordedFrame counting;
  counting.width = frame.width;
  counting.height = frame.height;
  counting.blend_mode_at_start = kAdd;
  // One mask per picture, mode and tint: the HUD's letters repeat them many times.
  std::map<std::tuple<const rt::Picture*, int, std::uint8_t>, std::shared_ptr<const rt::Picture>> masks;
  int mode = frame.blend_mode_at_start;
  for (const DrawCall& call : frame.calls) {
    if (call.kind == DrawCall::Kind::BlendMode) {
      mode = call.blend_mode;
      continue;
    }
    if (call.kind == DrawCall::Kind::Clear) {
      counting.calls.push_back(call);
      counting.calls.back().colour = rt::Colour{0, 0, 0, 255};
      continue;
    }
    if (!blends(mode)) continue;
    DrawCall layer = call;
    layer.colour = kOneLevel;
    if (call.kind == DrawCall::Kind::Quad) {
      const std::uint8_t alpha_kind = call.colour.a == 255 ? 255 : 0;
      auto& mask = masks[{call.picture.get(), mode, alpha_kind}];
      if (!mask) mask = partial_texels(*call.picture, mode, call.colour);
      layer.picture = mask;
    } else if (mode != kMultiply && call.colour.a == 255) {
      continue;
    }
    counting.calls.push_back(std::move(layer));
  }
  const std::vector<std::uint32_t> sums = replay_picture(counting, *rt::software_renderer());
  image_compare::BlendCounts counts(sums.size());
  for (std::size_t i = 0; i < sums.size(); ++i) counts[i] = static_cast<std::uint8_t>(sums[i] & 0xFF);
  return counts;
}

}  // namespace frame_replay
