// The songs: a small sequencer with a handful of instruments, one song per world, the title tune
// and the two jingles.
#pragma once
#include "tools/wav_writer.hpp"

namespace gen {

StereoBuffer title_song();         // loops
StereoBuffer desert_song();        // loops
StereoBuffer winter_song();        // loops
StereoBuffer city_song();          // loops
StereoBuffer level_done_jingle();  // plays once
StereoBuffer game_over_jingle();   // plays once

}  // namespace gen
