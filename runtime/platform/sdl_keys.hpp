// Translation of SDL key events to Windows virtual-key codes.
#pragma once

namespace rt::platform {

// The virtual key for an SDL scancode and the layout's key symbol; 0 for keys the game has no code for.
// Letters follow the layout's symbol (as Windows does), every other key its position; with NumLock off the
// number pad gives the navigation keys, as on Windows.
int virtual_key_from_sdl(int scancode, int keysym, bool numlock);

}  // namespace rt::platform
