// Reading the HUD's texts back from a presented frame, glyph by glyph.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace play_test {

using ColourTest = std::function<bool(std::uint32_t rgb)>;

// True when at least 85 % of the set texels of `text`, drawn at scale 2 with its top-left at (x, y),
// pass the colour test in the 1024-wide frame.
bool hud_text_shown(const std::vector<std::uint32_t>& frame, const std::string& text, int x, int y,
                    const ColourTest& colour);

// The HUD's colours: the job's green (half alpha for the word) and the score's yellow.
bool greenish(std::uint32_t rgb);
bool yellowish(std::uint32_t rgb);

}  // namespace play_test
