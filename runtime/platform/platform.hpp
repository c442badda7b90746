// The platform seam: everything outside the process (window, events, clock, timer thread, audio).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace rt::platform {

enum class EventType { KeyDown, KeyUp, FocusChange, CloseRequest, TimerTick };

struct Event {
  EventType type;
  int key = 0;          // Windows virtual-key code (KeyDown, KeyUp), already refined for left/right keys
  bool repeat = false;  // KeyDown: an automatic repeat of a key already down
  int timer = 0;        // TimerTick: the timer that ticked
};

enum class SurfaceKind { Software, OpenGL };

// Pulls the next `frames` stereo 16-bit frames of output into `out`; called on the device's thread.
using AudioPull = void (*)(void* context, std::int16_t* out, int frames);

class Platform {
 public:
  virtual ~Platform() = default;

  // Window: full screen shows the picture scaled to fit, aspect kept. OpenGL surfaces get a current context.
  virtual bool open_window(int width, int height, bool fullscreen, SurfaceKind kind) = 0;
  // Why the last open_window failed, for the player; empty when it did not say.
  virtual std::string window_error() const { return ""; }
  // Closing a window that is not open does nothing.
  virtual void close_window() = 0;
  // Software surfaces: shows a width x height 0xAARRGGBB picture.
  virtual void present_pixels(const std::uint32_t* argb, int width, int height, bool wait_vblank) = 0;
  // Software surfaces where getting a picture ready to show takes a while: prepare_pixels does that
  // work ahead of time, and show_prepared then shows the picture as present_pixels would.
  virtual bool prepares_pixels() const { return false; }
  virtual void prepare_pixels(const std::uint32_t* /*argb*/, int /*width*/, int /*height*/) {}
  virtual void show_prepared(bool /*wait_vblank*/) {}
  // OpenGL surfaces: swaps buffers (swap interval 1 when waiting for the vertical blank).
  virtual void swap_gl(bool wait_vblank) = 0;
  // OpenGL surfaces: the drawable size in pixels (for the centred viewport).
  virtual void gl_drawable_size(int& width, int& height) = 0;
  virtual void hide_pointer() = 0;
  virtual void warp_pointer(int x, int y) = 0;

  // Events: non-blocking poll, and a block until at least one event is pending.
  virtual bool poll_event(Event& event) = 0;
  virtual void wait_event() = 0;

  // Clock: a 32-bit wrapping millisecond clock, and sleeping.
  virtual std::uint32_t clock_ms() = 0;
  virtual void sleep_ms(int ms) = 0;

  // Starts a periodic timer that posts TimerTick events for `timer` every period_ms. False if it fails.
  virtual bool start_periodic_timer(int timer, int period_ms) = 0;

  // Audio: opens a 44100 Hz 16-bit stereo device that pulls frames through `pull`. False when none opens.
  virtual bool open_audio(AudioPull pull, void* context) = 0;
  virtual void close_audio() = 0;
};

Platform& current();
void install(std::unique_ptr<Platform> platform);
bool installed();

std::unique_ptr<Platform> make_sdl_platform();

}  // namespace rt::platform
