// The effects and loops of the play: engine, crash, gear, landing, chimes, background, rain and wind.
#pragma once
#include "tools/wav_writer.hpp"

namespace gen {

StereoBuffer motor();             // loops
StereoBuffer motor_idle();        // loops
StereoBuffer crash();
StereoBuffer gear_in();
StereoBuffer gear_out();
StereoBuffer landing();
StereoBuffer background_noise();  // loops
StereoBuffer rain();              // loops
StereoBuffer wind();              // loops
StereoBuffer delivery_chime();
StereoBuffer pickup_chime();

}  // namespace gen
