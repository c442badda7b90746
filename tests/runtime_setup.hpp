// Puts a platform in place and starts the runtime's services on it, the way tests and benchmarks begin.
#pragma once
#include <memory>
#include <utility>

#include "runtime/platform/scripted_platform.hpp"
#include "runtime/runtime.hpp"

namespace runtime_setup {

// Installs a new platform of type P built from `args`; the runtime owns it, the caller steers it.
template <class P = rt::platform::ScriptedPlatform, class... Args>
P& install_platform(Args&&... args) {
  auto owned = std::make_unique<P>(std::forward<Args>(args)...);
  P& platform = *owned;
  rt::platform::install(std::move(owned));
  return platform;
}

// Fatal ends and exit_program throw ProgramExit, so they unwind to the test instead of ending it.
inline void throw_program_exits() {
  rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
}

// Sound from a clean slate on the installed platform: no sounds loaded, the decoders known, output started.
inline void start_sound_afresh() {
  throw_program_exits();
  rt::reset_sound();
  rt::register_sound_decoders();
  rt::start_audio();
}

inline rt::platform::ScriptedPlatform& start_scripted_audio(rt::platform::ScriptedPlatform::Options options = {}) {
  rt::platform::ScriptedPlatform& platform = install_platform(options);
  start_sound_afresh();
  return platform;
}

// The decoders, sound and the 1024 x 768 screen as the game routine has them before its first load.
inline void open_game_screen(rt::Renderer* renderer = rt::d3d7_renderer_2d()) {
  rt::register_image_decoders();
  rt::start_audio();
  rt::register_sound_decoders();
  rt::select_graphics_driver(renderer, 2);
  rt::open_screen(1024, 768, 32, 60, 0);
  rt::set_auto_centre_handle(1);
}

}  // namespace runtime_setup
