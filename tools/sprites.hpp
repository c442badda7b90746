// The small pictures of the play: flame, pad bar, goods, repair icon, cloud and the flyers.
#pragma once
#include "tools/raster.hpp"

namespace gen {

Canvas flame();      // points toward negative x, base at the right
Canvas pad_bar();    // the pads' contact shape: a thin opaque bar
Canvas goods();      // the crate waiting on a pad
Canvas wrench();     // the repair place's icon
Canvas cloud();
Canvas alien_bug();  // the distant flyer, drawn at a third of its size
Canvas flyer(int which);  // the obstacle flyers 1 to 3, all heading right

constexpr int kPadBarWidth = 152;
constexpr int kPadBarHeight = 6;
constexpr int kGoodsHeight = 18;

}  // namespace gen
