// The scripted platform: virtual time, scripted input and captured output, so tests run fast and repeatably.
#include "runtime/platform/scripted_platform.hpp"

#include <algorithm>
#include <stdexcept>

namespace rt::platform {
namespace {
// Clock values wrap at 32 bits; order them by their signed distance.
bool at_or_before(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) <= 0; }
}  // namespace

ScriptedPlatform::ScriptedPlatform() : ScriptedPlatform(Options{}) {}

ScriptedPlatform::ScriptedPlatform(Options options) : options_(options), now_(options.start_clock_ms) {}

void ScriptedPlatform::key_down_at_frame(int frame, int key) {
  event_at_frame(frame, Event{EventType::KeyDown, key});
}

void ScriptedPlatform::key_up_at_frame(int frame, int key) {
  event_at_frame(frame, Event{EventType::KeyUp, key});
}

void ScriptedPlatform::tap_key_at_frame(int frame, int key) {
  key_down_at_frame(frame, key);
  key_up_at_frame(frame + 1, key);
}

void ScriptedPlatform::event_at_frame(int frame, Event event) { by_frame_.emplace(frame, event); }

void ScriptedPlatform::event_at_time(std::uint32_t ms, Event event) { by_time_.emplace(ms, event); }

void ScriptedPlatform::push_event(Event event) { pending_.push_back(event); }

void ScriptedPlatform::on_present(FrameHook hook) { hook_ = std::move(hook); }

void ScriptedPlatform::render_audio(int frames) {
  if (audio_pull_ == nullptr || frames <= 0) return;
  run_audio_pump();
  std::size_t start = captured_audio_.size();
  captured_audio_.resize(start + static_cast<std::size_t>(frames) * 2);
  audio_pull_(audio_context_, captured_audio_.data() + start, frames);
}

void ScriptedPlatform::advance_clock(std::uint32_t ms) {
  if (ms == 0) return;
  now_ += ms;
  run_audio_pump();
  if (options_.audio_follows_clock) play_audio_for(ms);
}

void ScriptedPlatform::play_audio_for(std::uint32_t ms) {
  if (audio_pull_ == nullptr) return;
  // Whole frames due by now at 44100 Hz, so the played amount never drifts from the clock.
  audio_ms_played_ += ms;
  const std::uint64_t due = audio_ms_played_ * 44100 / 1000;
  // Pulled a fragment at a time with the pump between, as a real device drains its buffer.
  constexpr int kChunk = 512;
  discarded_audio_.resize(kChunk * 2);
  while (audio_frames_played_ < due) {
    const int frames = static_cast<int>(std::min<std::uint64_t>(kChunk, due - audio_frames_played_));
    run_audio_pump();
    audio_pull_(audio_context_, discarded_audio_.data(), frames);
    audio_frames_played_ += static_cast<std::uint64_t>(frames);
  }
}

void ScriptedPlatform::run_audio_pump() {
  if (audio_pump_) audio_pump_();
}

bool ScriptedPlatform::open_window(int width, int height, bool fullscreen, SurfaceKind kind) {
  if (kind == SurfaceKind::OpenGL && !options_.gl_available) return false;
  window_open_ = true;
  window_fullscreen_ = fullscreen;
  frame_width_ = width;
  frame_height_ = height;
  last_frame_.assign(static_cast<std::size_t>(width) * height, 0xFF000000u);
  return true;
}

void ScriptedPlatform::close_window() {
  window_open_ = false;
  pointer_hidden_ = false;
}

void ScriptedPlatform::present_pixels(const std::uint32_t* argb, int width, int height, bool wait_vblank) {
  frame_width_ = width;
  frame_height_ = height;
  last_frame_.assign(argb, argb + static_cast<std::size_t>(width) * height);
  after_present(wait_vblank);
}

void ScriptedPlatform::prepare_pixels(const std::uint32_t* argb, int width, int height) {
  prepared_width_ = width;
  prepared_height_ = height;
  prepared_frame_.assign(argb, argb + static_cast<std::size_t>(width) * height);
}

void ScriptedPlatform::show_prepared(bool wait_vblank) {
  frame_width_ = prepared_width_;
  frame_height_ = prepared_height_;
  last_frame_ = prepared_frame_;
  after_present(wait_vblank);
}

void ScriptedPlatform::swap_gl(bool wait_vblank) { after_present(wait_vblank); }

void ScriptedPlatform::gl_drawable_size(int& width, int& height) {
  width = frame_width_;
  height = frame_height_;
}

void ScriptedPlatform::hide_pointer() { pointer_hidden_ = true; }

void ScriptedPlatform::warp_pointer(int x, int y) {
  pointer_x_ = x;
  pointer_y_ = y;
}

// Vertical blanks fall at start + trunc(k * 1000 / hz); a present waits for the first one after now.
void ScriptedPlatform::after_present(bool wait_vblank) {
  if (wait_vblank && options_.imitated_vsync_ms > 0) {
    advance_clock(static_cast<std::uint32_t>(options_.imitated_vsync_ms));
  } else if (wait_vblank && options_.vblank_hz > 0) {
    const std::uint64_t hz = static_cast<std::uint64_t>(options_.vblank_hz);
    const std::uint64_t elapsed = now_ - options_.start_clock_ms;
    std::uint64_t k = elapsed * hz / 1000;
    while (k * 1000 / hz <= elapsed) ++k;
    advance_clock(static_cast<std::uint32_t>(k * 1000 / hz - elapsed));
  }
  ++frames_presented_;
  if (hook_) hook_(frames_presented_);
}

bool ScriptedPlatform::next_deadline(std::uint32_t& ms) const {
  bool found = false;
  if (!by_time_.empty()) {
    ms = by_time_.begin()->first;
    found = true;
  }
  for (const PeriodicTimer& t : timers_) {
    if (!found || !at_or_before(ms, t.next_ms)) ms = t.next_ms;
    found = true;
  }
  return found;
}

// Frame events become due by presents; timed events and ticks in the order of their times.
void ScriptedPlatform::release_due_events() {
  while (!by_frame_.empty() && by_frame_.begin()->first <= frames_presented_) {
    pending_.push_back(by_frame_.begin()->second);
    by_frame_.erase(by_frame_.begin());
  }
  std::uint32_t due = 0;
  while (next_deadline(due) && at_or_before(due, now_)) {
    if (!by_time_.empty() && by_time_.begin()->first == due) {
      pending_.push_back(by_time_.begin()->second);
      by_time_.erase(by_time_.begin());
      continue;
    }
    for (PeriodicTimer& t : timers_) {
      if (t.next_ms != due) continue;
      Event tick{EventType::TimerTick};
      tick.timer = t.timer;
      pending_.push_back(tick);
      t.next_ms += static_cast<std::uint32_t>(t.period_ms);
      break;
    }
  }
}

bool ScriptedPlatform::poll_event(Event& event) {
  release_due_events();
  if (pending_head_ >= pending_.size()) return false;
  event = pending_[pending_head_++];
  if (pending_head_ == pending_.size()) {
    pending_.clear();
    pending_head_ = 0;
  }
  return true;
}

void ScriptedPlatform::wait_event() {
  release_due_events();
  if (pending_head_ < pending_.size()) return;
  std::uint32_t due = 0;
  if (!next_deadline(due)) throw std::logic_error("scripted platform: waiting with no timer or timed event to come");
  advance_clock(due - now_);
  release_due_events();
}

std::uint32_t ScriptedPlatform::clock_ms() { return now_; }

void ScriptedPlatform::sleep_ms(int ms) {
  if (ms > 0) advance_clock(static_cast<std::uint32_t>(ms));
}

bool ScriptedPlatform::start_periodic_timer(int timer, int period_ms) {
  if (period_ms <= 0) return false;
  timers_.push_back(PeriodicTimer{timer, period_ms, now_ + static_cast<std::uint32_t>(period_ms)});
  return true;
}

bool ScriptedPlatform::open_audio(AudioPull pull, void* context) {
  if (!options_.audio_available) return false;
  audio_pull_ = pull;
  audio_context_ = context;
  return true;
}

void ScriptedPlatform::close_audio() {
  audio_pull_ = nullptr;
  audio_context_ = nullptr;
}

}  // namespace rt::platform
