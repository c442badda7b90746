// The X server the OpenGL tests draw on: whether one is there, and the SDL platform put on it.
#pragma once
#include <cstdlib>

#include "runtime/platform/platform.hpp"

namespace x11_display {

inline constexpr const char* kMissing = "No DISPLAY: the OpenGL renderer needs an X server (scripts/test starts Xvfb).";

inline bool available() { return std::getenv("DISPLAY") != nullptr; }

// SDL on X11 rather than a dummy driver, so that OpenGL contexts can be made.
inline void install_sdl_platform() {
  setenv("SDL_VIDEODRIVER", "x11", 1);
  rt::platform::install(rt::platform::make_sdl_platform());
}

}  // namespace x11_display
