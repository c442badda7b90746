// The scripted platform tests run on: a virtual clock, scheduled key events, frames kept in memory.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <vector>
#include "runtime/platform/platform.hpp"

namespace rt::platform {

// Thrown by a test's frame hook to stop a whole-game run at a chosen point.
struct ScenarioStop {};

class ScriptedPlatform : public Platform {
 public:
  struct Options {
    int vblank_hz = 60;          // a present that waits for the vertical blank ends on the next one; 0: at once
    // Nonzero: there is no display to wait for, and a present asked to wait sleeps this long instead.
    int imitated_vsync_ms = 0;
    bool prepares_pixels = false;  // pictures may be got ready ahead of showing, as on the SDL platform
    bool gl_available = false;   // the scripted platform has no OpenGL context
    bool audio_available = true; // false: open_audio fails and the silent driver is used
    // The device plays (and discards) output as the virtual clock moves, so clips end as they would
    // in real time. Off for tests that capture exact samples with render_audio.
    bool audio_follows_clock = false;
    std::uint32_t start_clock_ms = 100000;
  };
  ScriptedPlatform();
  explicit ScriptedPlatform(Options options);

  // Key events, delivered when the given number of frames has been presented (0: from the start)
  // or when the virtual clock reaches the given time.
  void key_down_at_frame(int frame, int key);
  void key_up_at_frame(int frame, int key);
  void tap_key_at_frame(int frame, int key);  // down at frame, up at frame + 1
  void event_at_frame(int frame, Event event);
  void event_at_time(std::uint32_t ms, Event event);
  void push_event(Event event);  // pending now

  // Called after every present with the number of frames presented so far; may throw ScenarioStop.
  using FrameHook = std::function<void(int frame)>;
  void on_present(FrameHook hook);

  int frames_presented() const { return frames_presented_; }
  // The last presented software frame (0xAARRGGBB, width x height).
  const std::vector<std::uint32_t>& last_frame() const { return last_frame_; }
  int frame_width() const { return frame_width_; }
  int frame_height() const { return frame_height_; }
  bool window_open() const { return window_open_; }
  bool window_fullscreen() const { return window_fullscreen_; }
  bool pointer_hidden() const { return pointer_hidden_; }
  int pointer_x() const { return pointer_x_; }
  int pointer_y() const { return pointer_y_; }

  // Audio: pulls frames from the open device into the capture buffer (stereo, interleaved).
  void render_audio(int frames);
  const std::vector<std::int16_t>& captured_audio() const { return captured_audio_; }
  // Stands in for the audio pump thread: run whenever the virtual clock moves and before each capture.
  void set_audio_pump(std::function<void()> pump) { audio_pump_ = std::move(pump); }

  // Moves the virtual clock forward (ticks and timed events become due).
  // wait_event moves it to the next tick or timed event and throws std::logic_error when there is none.
  void advance_clock(std::uint32_t ms);

  bool open_window(int width, int height, bool fullscreen, SurfaceKind kind) override;
  void close_window() override;
  void present_pixels(const std::uint32_t* argb, int width, int height, bool wait_vblank) override;
  bool prepares_pixels() const override { return options_.prepares_pixels; }
  void prepare_pixels(const std::uint32_t* argb, int width, int height) override;
  void show_prepared(bool wait_vblank) override;
  void swap_gl(bool wait_vblank) override;
  void gl_drawable_size(int& width, int& height) override;
  void hide_pointer() override;
  void warp_pointer(int x, int y) override;
  bool poll_event(Event& event) override;
  void wait_event() override;
  std::uint32_t clock_ms() override;
  void sleep_ms(int ms) override;
  bool start_periodic_timer(int timer, int period_ms) override;
  bool open_audio(AudioPull pull, void* context) override;
  void close_audio() override;

 private:
  void after_present(bool wait_vblank);
  void release_due_events();
  bool next_deadline(std::uint32_t& ms) const;
  void run_audio_pump();
  void play_audio_for(std::uint32_t ms);

  Options options_;
  std::uint32_t now_;
  int frames_presented_ = 0;
  std::vector<std::uint32_t> last_frame_;
  std::vector<std::uint32_t> prepared_frame_;
  int prepared_width_ = 0, prepared_height_ = 0;
  int frame_width_ = 0, frame_height_ = 0;
  bool window_open_ = false;
  bool window_fullscreen_ = false;
  bool pointer_hidden_ = false;
  int pointer_x_ = 0, pointer_y_ = 0;
  std::multimap<int, Event> by_frame_;
  std::multimap<std::uint32_t, Event> by_time_;
  std::vector<Event> pending_;
  std::size_t pending_head_ = 0;
  struct PeriodicTimer {
    int timer;
    int period_ms;
    std::uint32_t next_ms;
  };
  std::vector<PeriodicTimer> timers_;
  FrameHook hook_;
  AudioPull audio_pull_ = nullptr;
  void* audio_context_ = nullptr;
  std::vector<std::int16_t> captured_audio_;
  std::function<void()> audio_pump_;
  std::vector<std::int16_t> discarded_audio_;
  std::uint64_t audio_ms_played_ = 0;
  std::uint64_t audio_frames_played_ = 0;
};

}  // namespace rt::platform
