// The display: renderer selection, opening, pacing and presenting frames, and the drawing state.
#include "runtime/screen.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/keyboard.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/program.hpp"
#include "runtime/text.hpp"
#include "runtime/timer.hpp"

namespace rt {
namespace {

constexpr int kDefaultFlags = 2;  // the screen has a back buffer
constexpr int kMeasureMs = 1000;
constexpr std::size_t kHitsForHardware = 12;  // 200 ms at 60 Hz

// Why nothing can be drawn, for the message when something is drawn anyway.
enum class Closed { NeverOpened, NoRenderer, OpenFailed, Closed, Reselected };

struct Screen {
  // At start-up the OpenGL renderer is made current and then replaced by the Direct3D 7 one, which
  // here always exists; with no screen open in between, that leaves just the Direct3D 7 renderer.
  Renderer* renderer = d3d7_renderer_2d();
  int default_flags = kDefaultFlags;

  bool open = false;
  Closed closed = Closed::NeverOpened;
  std::string open_error;  // what the platform said when the display would not open
  int width = 0, height = 0, depth = 0, hertz = 0;
  bool exit_action_registered = false;

  Pacing pacing = Pacing::Hardware;
  int period = 0, remainder = 0, accumulator = 0;
  std::uint32_t deadline = 0;

  DrawState draw;

  // The renderer's picture as handed to the window ahead of showing it; good until the next drawing
  // call.
  bool picture_prepared = false;
};

Screen& screen() {
  static Screen s;
  return s;
}

std::uint32_t now_ms() { return static_cast<std::uint32_t>(clock_ms()); }

void present_and_clear_twice(Renderer& r) {
  for (int i = 0; i < 2; ++i) {
    r.clear(Colour{0, 0, 0, 255});
    r.present(false);
  }
}

// Whether presents keep the display's own time: `span` ms for kHitsForHardware refresh periods, within
// 2 %. Sleeping whole milliseconds, as SDL does to imitate vertical sync where it cannot sync, gives
// 16 ms a frame at 60 Hz: 62.5 frames a second, 4 % fast.
bool keeps_display_time(std::uint32_t span, int hertz) {
  const std::int64_t expected = std::int64_t{kHitsForHardware} * 1000;
  return std::abs(std::int64_t{span} * hertz - expected) * 50 <= expected;
}

// Hardware sync when presents in a row each take one refresh period, give or take 1 ms, and together
// keep the display's time; otherwise, after a second, software pacing.
Pacing measure_refresh(Renderer& r, int hertz) {
  const int period = 1000 / hertz;
  const std::uint32_t start = now_ms();
  std::vector<std::uint32_t> run;  // when the current run of hits began, then when each hit ended
  while (now_ms() - start < static_cast<std::uint32_t>(kMeasureMs)) {
    const std::uint32_t before = now_ms();
    r.present(true);
    end_if_asked();
    const std::uint32_t after = now_ms();
    const int took = static_cast<int>(after - before);
    if (std::abs(took - period) <= 1) {
      if (run.empty()) run.push_back(before);
      run.push_back(after);
    } else {
      run.clear();
    }
    if (run.size() > kHitsForHardware && keeps_display_time(after - run[run.size() - 1 - kHitsForHardware], hertz)) {
      return Pacing::Hardware;
    }
    // A present that returns at once says nothing of the refresh; pausing keeps the clock moving
    // on platforms whose clock only advances while waiting.
    if (took == 0) platform::current().sleep_ms(1);
  }
  return Pacing::Software;
}

void recompute_transform() {
  DrawState& d = screen().draw;
  const float radians = d.rotation * (3.14159265358979f / 180.0f);
  const float c = std::cos(radians), s = std::sin(radians);
  d.ix = c * d.sx;
  d.iy = -s * d.sy;
  d.jx = s * d.sx;
  d.jy = c * d.sy;
}

// The open screen's renderer; with none open, the program ends with a message saying why.
Renderer& open_renderer(Screen& s) {
  if (s.open) return *s.renderer;
  std::string why;
  switch (s.closed) {
    case Closed::NeverOpened: why = "no display has been opened"; break;
    case Closed::NoRenderer: why = "no renderer is available, so the display could not be opened"; break;
    case Closed::OpenFailed:
      why = std::string("the ") + s.renderer->name() + " renderer could not open the display";
      if (!s.open_error.empty()) why += ": " + s.open_error;
      break;
    case Closed::Closed: why = "the display has been closed"; break;
    case Closed::Reselected: why = "a renderer was selected after the display was opened"; break;
  }
  runtime_error(from_latin1("Cannot draw: " + why + "."));
}

// The frame as drawn, or the picture prepared from it when nothing was drawn since.
void show(Screen& s, bool wait_vblank) {
  if (s.picture_prepared) {
    s.picture_prepared = false;
    platform::current().show_prepared(wait_vblank);
  } else {
    s.renderer->present(wait_vblank);
  }
}

void paced_present(Screen& s) {
  s.deadline += static_cast<std::uint32_t>(s.period);
  s.accumulator += s.remainder;
  if (s.accumulator >= s.hertz) {
    s.accumulator -= s.hertz;
    s.deadline += 1;
  }
  const std::uint32_t now = now_ms();
  const int wait = static_cast<int>(s.deadline - now);
  if (wait > 0) {
    platform::current().sleep_ms(wait);
  } else {
    // A late frame is shown at once and the next one is timed from now: no catching up.
    s.deadline = now;
  }
  show(s, false);
}

}  // namespace

Renderer* d3d7_renderer_2d() { return software_renderer(); }

Renderer* gl_renderer_2d() { return opengl_renderer(); }

void select_graphics_driver(Renderer* renderer, int default_flags) {
  Screen& s = screen();
  if (renderer != s.renderer) {
    if (s.renderer && s.renderer->is_open()) s.renderer->close();
    s.renderer = renderer;
  }
  if (s.open) s.closed = Closed::Reselected;
  s.default_flags = default_flags;
  s.open = false;
}

int open_screen(int width, int height, int depth, int hertz, int flags) {
  close_screen();
  Screen& s = screen();
  if (!s.renderer) {
    s.closed = Closed::NoRenderer;
    return 0;
  }
  if (s.renderer->is_open()) s.renderer->close();
  if (!s.renderer->open(width, height, depth, hertz, flags | s.default_flags)) {
    s.closed = Closed::OpenFailed;
    s.open_error = platform::installed() ? platform::current().window_error() : "";
    return 0;
  }
  s.open = true;
  s.picture_prepared = false;
  s.width = width;
  s.height = height;
  s.depth = depth;
  s.hertz = hertz;
  s.draw = DrawState{};
  s.renderer->set_blend_mode(s.draw.blend_mode);
  present_and_clear_twice(*s.renderer);

  s.period = hertz > 0 ? 1000 / hertz : 0;
  s.remainder = hertz > 0 ? 1000 - s.period * hertz : 0;
  if (hertz == 0) {
    s.pacing = Pacing::Hardware;
  } else if (depth == 0) {
    s.pacing = Pacing::Software;
  } else {
    s.pacing = measure_refresh(*s.renderer, hertz);
  }
  s.accumulator = 0;
  s.deadline = now_ms();

  // Keys pressed before the screen opened may still be queued: let them go by uncounted.
  process_events();
  keyboard_set_collecting(true);
  if (depth != 0) platform::current().warp_pointer(width / 2, height / 2);
  if (!s.exit_action_registered) {
    s.exit_action_registered = true;
    register_exit_action(close_screen);
  }
  return 1;
}

void close_screen() {
  Screen& s = screen();
  if (!s.open) return;
  keyboard_set_collecting(false);
  keyboard_clear();
  s.open = false;
  s.closed = Closed::Closed;
  s.renderer->close();
}

void present_frame(int sync) {
  Screen& s = screen();
  open_renderer(s);
  if (sync != -1) {
    show(s, sync != 0);
  } else if (s.pacing == Pacing::Software) {
    paced_present(s);
  } else {
    show(s, s.depth != 0);
  }
  end_if_asked();
}

void flush_frame() {
  Screen& s = screen();
  if (!s.open) return;
  s.picture_prepared = s.renderer->flush();
}

void clear_frame() { renderer_for_drawing().clear(Colour{0, 0, 0, 255}); }

void hide_pointer() { platform::current().hide_pointer(); }

void set_draw_colour(int r, int g, int b) {
  DrawState& d = screen().draw;
  d.r = r;
  d.g = g;
  d.b = b;
}

void set_alpha(float alpha) { screen().draw.alpha = alpha; }

void set_blend_mode(int mode) {
  Screen& s = screen();
  if (mode == s.draw.blend_mode) return;
  s.draw.blend_mode = mode;
  if (s.open) s.renderer->set_blend_mode(mode);
}

void set_rotation(float degrees) {
  screen().draw.rotation = degrees;
  recompute_transform();
}

void set_scale(float sx, float sy) {
  DrawState& d = screen().draw;
  d.sx = sx;
  d.sy = sy;
  recompute_transform();
}

void set_auto_centre_handle(int enable) { screen().draw.auto_centre = enable != 0 ? 1 : 0; }

const DrawState& draw_state() { return screen().draw; }

Colour current_colour() {
  const DrawState& d = screen().draw;
  auto channel = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); };
  const float alpha = d.alpha >= 0.0f ? std::min(d.alpha, 1.0f) : 0.0f;  // NaN counts as 0
  return Colour{channel(d.r), channel(d.g), channel(d.b), static_cast<std::uint8_t>(alpha * 255.0f)};
}

Renderer& renderer_for_drawing() {
  Screen& s = screen();
  s.picture_prepared = false;
  return open_renderer(s);
}

Pacing current_pacing() { return screen().pacing; }

}  // namespace rt
