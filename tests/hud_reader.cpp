// Reading the HUD's texts back from a presented frame, glyph by glyph.
#include "tests/hud_reader.hpp"

#include "runtime/font.hpp"

namespace play_test {

bool hud_text_shown(const std::vector<std::uint32_t>& frame, const std::string& text, int x, int y,
                    const ColourTest& colour) {
  int set = 0, matching = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const rt::Picture& glyph = rt::glyph_picture(static_cast<unsigned char>(text[i]));
    for (int gy = 0; gy < glyph.height; ++gy) {
      for (int gx = 0; gx < glyph.width; ++gx) {
        if ((glyph.at(gx, gy) >> 24) < 128) continue;
        const int sx = x + 2 * (rt::kGlyphWidth * static_cast<int>(i) + gx);
        const int sy = y + 2 * gy;
        if (sx < 0 || sx >= 1024 || sy < 0 || sy >= 768) continue;
        ++set;
        matching += colour(frame[static_cast<std::size_t>(sy) * 1024 + sx] & 0xFFFFFFu) ? 1 : 0;
      }
    }
  }
  return set > 0 && matching * 100 >= set * 85;
}

bool greenish(std::uint32_t rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return g > r + 40 && g > b + 40;
}

bool yellowish(std::uint32_t rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return r > 200 && g > 200 && b < 90;
}

}  // namespace play_test
