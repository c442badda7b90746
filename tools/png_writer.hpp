// PNG encoding of canvases through libpng: RGBA with alpha, or RGB for opaque pictures.
#pragma once
#include <cstdint>
#include <vector>
#include "tools/raster.hpp"

namespace gen {

std::vector<std::uint8_t> encode_png(const Canvas& canvas, bool with_alpha = true);

}  // namespace gen
