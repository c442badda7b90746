// The contact sheet: every generated picture, reduced, on one labelled page for looking them over.
#include "tools/contact_sheet.hpp"

#include <algorithm>

#include "tools/pixel_font.hpp"

namespace gen {

namespace {
constexpr int kCell = 256;
constexpr int kLabel = 14;
constexpr int kColumns = 8;
}  // namespace

Canvas thumbnail(const Canvas& picture) {
  float f = std::min(1.0f, std::min(float(kCell) / picture.width(), float(kCell) / picture.height()));
  if (f >= 1.0f) return picture;
  return picture.resized(std::max(1, int(picture.width() * f)), std::max(1, int(picture.height() * f)));
}

Canvas contact_sheet(const std::vector<SheetEntry>& entries) {
  const int rows = (static_cast<int>(entries.size()) + kColumns - 1) / kColumns;
  const int cell_h = kCell + kLabel + 6;
  Canvas sheet(kColumns * (kCell + 6), rows * cell_h, rgb(40, 40, 48));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    int cx = static_cast<int>(i % kColumns) * (kCell + 6) + 3;
    int cy = static_cast<int>(i / kColumns) * cell_h + 3;
    // A checkerboard shows where pictures are transparent.
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        bool dark = ((x / 8) + (y / 8)) % 2 == 0;
        sheet.at(cx + x, cy + y) = dark ? rgb(90, 90, 100) : rgb(120, 120, 130);
      }
    }
    const Canvas& pic = *entries[i].picture;
    sheet.draw(pic, cx + (kCell - pic.width()) / 2, cy + (kCell - pic.height()) / 2);
    std::string label = entries[i].name;
    std::size_t slash = label.find_last_of('/');
    std::size_t first_slash = label.find('/');
    if (slash != std::string::npos && first_slash != slash) label = label.substr(first_slash + 1);
    fill(sheet, text_shape(label, float(cx), float(cy + kCell + 3), 1.5f), rgb(230, 230, 230));
  }
  return sheet;
}

}  // namespace gen
