// Saving a presented frame as a PNG file, for looking at what a scripted run showed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace play_test {

// Writes 0xAARRGGBB pixels as an opaque RGB PNG; false when the file cannot be written.
bool save_png(const std::string& path, const std::vector<std::uint32_t>& argb, int width, int height);

}  // namespace play_test
