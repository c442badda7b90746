// Ending the program when its X server goes away.
#pragma once

namespace rt::platform {

// From now on a lost connection to the X server ends the program at once with a message and status -1.
void end_program_when_display_is_lost();

}  // namespace rt::platform
