// The contact sheet: every generated picture, reduced, on one labelled page for looking them over.
#pragma once
#include <string>
#include <vector>
#include "tools/raster.hpp"

namespace gen {

struct SheetEntry {
  std::string name;
  const Canvas* picture;
};

// A copy no larger than the sheet's cell, for keeping while the other jobs run.
Canvas thumbnail(const Canvas& picture);
Canvas contact_sheet(const std::vector<SheetEntry>& entries);

}  // namespace gen
