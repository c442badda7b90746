// Ends the program when its X server goes away (a logout, a crashed server), touching nothing of it again.
#include "runtime/platform/display_loss.hpp"

#include <X11/Xlib.h>

#include "runtime/program.hpp"

namespace rt::platform {
namespace {

// Xlib's own handler calls exit, whose exit actions would close the window through the dead connection
// and spin there for ever. Nothing is saved: the game only writes its scores when a game has ended.
int on_display_lost(Display*) { end_at_once("The connection to the display was lost."); }

}  // namespace

void end_program_when_display_is_lost() { XSetIOErrorHandler(&on_display_lost); }

}  // namespace rt::platform
