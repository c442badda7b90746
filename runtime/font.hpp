// The built-in 8x16 font: 96 glyph pictures for character codes 32 to 127.
#pragma once
#include "runtime/picture.hpp"

namespace rt {

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 16;
// The glyph picture of a code 32..127 (white where set, transparent elsewhere).
const Picture& glyph_picture(int code);

}  // namespace rt
