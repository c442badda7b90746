// Our own 5x7 pixel font for the texts painted into pictures, turned into fillable shapes.
#pragma once
#include <string>
#include "tools/raster.hpp"

namespace gen {

enum class DotStyle { Square, Round };

// Width in pixels of a text drawn with dots of the given size (one dot of space between letters).
float text_width(const std::string& text, float dot);
// The text as a shape, top-left corner at (x, y); grow enlarges every dot (for outlines).
Shape text_shape(const std::string& text, float x, float y, float dot, DotStyle style = DotStyle::Square,
                 float grow = 0.0f);
// The same, centred on x.
Shape centred_text(const std::string& text, float cx, float y, float dot, DotStyle style = DotStyle::Square,
                   float grow = 0.0f);

}  // namespace gen
