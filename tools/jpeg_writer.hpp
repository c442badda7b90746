// JPEG encoding of opaque canvases through libjpeg.
#pragma once
#include <cstdint>
#include <vector>
#include "tools/raster.hpp"

namespace gen {

std::vector<std::uint8_t> encode_jpeg(const Canvas& canvas, int quality = 88);

}  // namespace gen
