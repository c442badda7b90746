// The platform players run on: an SDL2 window, event queue, timer threads, monotonic clock and audio device.
#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/platform/display_loss.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/platform/sdl_keys.hpp"
#include "runtime/program.hpp"

namespace rt::platform {
namespace {

// How another thread wakes the main thread out of its event wait or its sleep when the program is asked
// to end. Never destroyed, so that a signal during the process's exit finds it whole.
struct MainThreadWake {
  std::mutex mutex;
  std::condition_variable sleeping;
  bool woken = false;
  Uint32 event_type = 0;  // 0 while SDL's event queue is not running
};

MainThreadWake& main_thread_wake() {
  static auto* wake = new MainThreadWake;
  return *wake;
}

void wake_main_thread() {
  MainThreadWake& wake = main_thread_wake();
  std::lock_guard<std::mutex> lock(wake.mutex);
  wake.woken = true;
  wake.sleeping.notify_all();
  if (wake.event_type != 0) {
    SDL_Event event{};
    event.type = wake.event_type;
    SDL_PushEvent(&event);
  }
}

// SDL falls back to a video driver that shows nothing when it finds no display; the game would then run
// unseen for ever. Only a user who asks for such a driver gets it. Empty when the window can be seen.
std::string why_nothing_would_show() {
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if (driver == nullptr || (asked != nullptr && *asked != 0)) return "";
  if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return "";
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((x == nullptr || *x == 0) && (wayland == nullptr || *wayland == 0))
    return "there is no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
  return "the display named by DISPLAY or WAYLAND_DISPLAY could not be reached";
}

// Pushes one user event per period, each deadline counted from the start so that ticks never drift.
class TickThread {
 public:
  TickThread(Uint32 event_type, int timer, int period_ms) {
    thread_ = std::thread([this, event_type, timer, period_ms] { run(event_type, timer, period_ms); });
  }
  ~TickThread() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void run(Uint32 event_type, int timer, int period_ms) {
    auto deadline = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      deadline += std::chrono::milliseconds(period_ms);
      if (wake_.wait_until(lock, deadline, [this] { return stopping_; })) return;
      SDL_Event event{};
      event.type = event_type;
      event.user.code = timer;
      SDL_PushEvent(&event);
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

class SdlPlatform : public Platform {
 public:
  SdlPlatform() { set_main_thread_waker(&wake_main_thread); }
  ~SdlPlatform() override {
    timers_.clear();
    close_audio();
    close_window();
    {
      std::lock_guard<std::mutex> lock(main_thread_wake().mutex);
      main_thread_wake().event_type = 0;
    }
    if (initialised_ != 0) SDL_Quit();
  }

  bool open_window(int width, int height, bool fullscreen, SurfaceKind kind) override {
    close_window();
    if (!init(SDL_INIT_VIDEO | SDL_INIT_EVENTS)) {
      window_error_ = SDL_GetError();
      return false;
    }
    window_error_ = why_nothing_would_show();
    if (!window_error_.empty()) return false;
    const bool gl = kind == SurfaceKind::OpenGL;
    // Nothing is depth tested, by the game or by the copy that shows the software device's picture,
    // and a software driver runs several times faster without a depth buffer.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    // Only the full-screen OpenGL screen gives the desktop back when it loses the focus.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, gl && fullscreen ? "1" : "0");
    Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    if (gl) {
      flags |= SDL_WINDOW_OPENGL;
      SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
      SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
      SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
      SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    }
    // A full-screen window is made at the desktop's size from the start: with no window manager to
    // act on the full-screen request (Xvfb), it would otherwise stay at the picture's size.
    SDL_Rect place{static_cast<int>(SDL_WINDOWPOS_CENTERED), static_cast<int>(SDL_WINDOWPOS_CENTERED), width, height};
    SDL_Rect desktop{};
    if (fullscreen && SDL_GetDisplayBounds(0, &desktop) == 0) place = desktop;
    window_ = SDL_CreateWindow("Sky Freight", place.x, place.y, place.w, place.h, flags);
    if (window_ == nullptr) {
      window_error_ = SDL_GetError();
      return false;
    }
    width_ = width;
    height_ = height;
    const bool made = gl ? make_gl_context() : make_streaming_texture();
    if (!made) {
      window_error_ = SDL_GetError();
      close_window();
      return false;
    }
    SDL_StopTextInput();
    return true;
  }

  std::string window_error() const override { return window_error_; }

  void close_window() override {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    if (gl_context_ != nullptr) SDL_GL_DeleteContext(gl_context_);
    if (window_ != nullptr) {
      SDL_DestroyWindow(window_);
      SDL_ShowCursor(SDL_ENABLE);
    }
    texture_ = nullptr;
    renderer_ = nullptr;
    gl_context_ = nullptr;
    window_ = nullptr;
    swap_interval_ = -1;
    renderer_vsync_ = -1;
  }

  void present_pixels(const std::uint32_t* argb, int width, int height, bool wait_vblank) override {
    if (draw_picture(argb, width, height)) show_prepared(wait_vblank);
  }

  // Uploading and scaling the picture take Mesa's software driver a few milliseconds.
  bool prepares_pixels() const override { return true; }

  void prepare_pixels(const std::uint32_t* argb, int width, int height) override {
    if (!draw_picture(argb, width, height)) return;
    SDL_RenderFlush(renderer_);
    // The software driver draws only when made to; the swap then has little left to do.
    glFlush();
  }

  void show_prepared(bool wait_vblank) override {
    if (renderer_ == nullptr || texture_ == nullptr) return;
    const int vsync = wait_vblank ? 1 : 0;
    if (vsync != renderer_vsync_) {
      // Where the back-end cannot sync, SDL imitates it by sleeping; the pacing measurement tells.
      SDL_RenderSetVSync(renderer_, vsync);
      renderer_vsync_ = vsync;
    }
    SDL_RenderPresent(renderer_);
  }

  void swap_gl(bool wait_vblank) override {
    if (gl_context_ == nullptr) return;
    const int interval = wait_vblank ? 1 : 0;
    if (interval != swap_interval_) {
      SDL_GL_SetSwapInterval(interval);  // fails under Xvfb; pacing is measured anyway
      swap_interval_ = interval;
    }
    SDL_GL_SwapWindow(window_);
  }

  void gl_drawable_size(int& width, int& height) override {
    width = 0;
    height = 0;
    if (window_ != nullptr) SDL_GL_GetDrawableSize(window_, &width, &height);
  }

  void hide_pointer() override {
    if (window_ != nullptr) SDL_ShowCursor(SDL_DISABLE);
  }

  // (x, y) is a point of the picture, which is scaled to fit the window and centred in it.
  void warp_pointer(int x, int y) override {
    if (window_ == nullptr || width_ <= 0 || height_ <= 0) return;
    int window_width = 0, window_height = 0;
    SDL_GetWindowSize(window_, &window_width, &window_height);
    const float scale = std::min(static_cast<float>(window_width) / width_, static_cast<float>(window_height) / height_);
    const float left = (window_width - width_ * scale) * 0.5f;
    const float top = (window_height - height_ * scale) * 0.5f;
    SDL_WarpMouseInWindow(window_, static_cast<int>(left + x * scale), static_cast<int>(top + y * scale));
  }

  bool poll_event(Event& event) override {
    if (!init(SDL_INIT_EVENTS)) return false;
    SDL_Event sdl_event;
    while (SDL_PollEvent(&sdl_event) != 0) {
      if (translate(sdl_event, event)) return true;
    }
    return false;
  }

  // Waits without taking the event, so that the next poll still sees it. A wake-up that came before SDL's
  // queue could carry it still counts.
  void wait_event() override {
    if (!init(SDL_INIT_EVENTS)) return;
    {
      std::lock_guard<std::mutex> lock(main_thread_wake().mutex);
      if (main_thread_wake().woken) return;
    }
    SDL_WaitEvent(nullptr);
  }

  std::uint32_t clock_ms() override {
    const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count());
  }

  // A main thread woken to end does not go back to sleep.
  void sleep_ms(int ms) override {
    if (ms <= 0) return;
    MainThreadWake& wake = main_thread_wake();
    std::unique_lock<std::mutex> lock(wake.mutex);
    wake.sleeping.wait_for(lock, std::chrono::milliseconds(ms), [&wake] { return wake.woken; });
  }

  bool start_periodic_timer(int timer, int period_ms) override {
    if (period_ms <= 0 || !init(SDL_INIT_EVENTS) || tick_event_type() == 0) return false;
    timers_.push_back(std::make_unique<TickThread>(tick_event_type(), timer, period_ms));
    return true;
  }

  bool open_audio(AudioPull pull, void* context) override {
    close_audio();
    if (!init(SDL_INIT_AUDIO)) return false;
    audio_pull_ = pull;
    audio_context_ = context;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 512;
    want.callback = &SdlPlatform::audio_callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    audio_device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (audio_device_ == 0) return false;
    SDL_PauseAudioDevice(audio_device_, 0);
    return true;
  }

  void close_audio() override {
    if (audio_device_ != 0) SDL_CloseAudioDevice(audio_device_);
    audio_device_ = 0;
  }

 private:
  // SDL is started piece by piece, so a program that never opens a window needs no video driver.
  bool init(Uint32 subsystems) {
    const Uint32 missing = subsystems & ~initialised_;
    if (missing == 0) return true;
    // SDL's own SIGINT/SIGTERM handlers would turn a kill into a close request that the game ignores.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(missing) != 0) return false;
    initialised_ |= missing;
    if ((missing & SDL_INIT_VIDEO) != 0 && std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
      end_program_when_display_is_lost();
    }
    if ((missing & SDL_INIT_EVENTS) != 0) {
      const Uint32 registered = SDL_RegisterEvents(1);
      std::lock_guard<std::mutex> lock(main_thread_wake().mutex);
      if (registered != static_cast<Uint32>(-1)) main_thread_wake().event_type = registered;
    }
    return true;
  }

  Uint32 tick_event_type() {
    if (tick_event_type_ == 0) {
      const Uint32 registered = SDL_RegisterEvents(1);
      if (registered != static_cast<Uint32>(-1)) tick_event_type_ = registered;
    }
    return tick_event_type_;
  }

  // Puts the picture into the window's back buffer; false when there is nothing to draw it with.
  bool draw_picture(const std::uint32_t* argb, int width, int height) {
    if (renderer_ == nullptr) return false;
    if (width != texture_width_ || height != texture_height_) make_texture(width, height);
    if (texture_ == nullptr) return false;
    SDL_UpdateTexture(texture_, nullptr, argb, width * 4);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    return true;
  }

  // The picture reaches the window as one scaled copy of an opaque texture. Without blending (and
  // without the depth buffer the window is made without), Mesa's software driver copies it fastest.
  bool make_streaming_texture() {
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr) return false;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    make_texture(width_, height_);
    return texture_ != nullptr;
  }

  void make_texture(int width, int height) {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture_ != nullptr) SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    texture_width_ = texture_ != nullptr ? width : 0;
    texture_height_ = texture_ != nullptr ? height : 0;
    SDL_RenderSetLogicalSize(renderer_, width, height);
  }

  bool make_gl_context() {
    gl_context_ = SDL_GL_CreateContext(window_);
    return gl_context_ != nullptr && SDL_GL_MakeCurrent(window_, gl_context_) == 0;
  }

  bool translate(const SDL_Event& sdl_event, Event& event) {
    switch (sdl_event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const SDL_Keysym& keysym = sdl_event.key.keysym;
        const int key = virtual_key_from_sdl(keysym.scancode, keysym.sym, (keysym.mod & KMOD_NUM) != 0);
        if (key == 0) return false;
        event = Event{sdl_event.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp, key};
        event.repeat = sdl_event.key.repeat != 0;
        return true;
      }
      case SDL_WINDOWEVENT:
        switch (sdl_event.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED:
          case SDL_WINDOWEVENT_FOCUS_LOST:
            event = Event{EventType::FocusChange};
            return true;
          case SDL_WINDOWEVENT_CLOSE:
            event = Event{EventType::CloseRequest};
            return true;
          default:
            return false;
        }
      case SDL_QUIT:
        event = Event{EventType::CloseRequest};
        return true;
      default:
        if (tick_event_type_ != 0 && sdl_event.type == tick_event_type_) {
          event = Event{EventType::TimerTick};
          event.timer = sdl_event.user.code;
          return true;
        }
        return false;
    }
  }

  static void SDLCALL audio_callback(void* userdata, Uint8* stream, int length) {
    auto* self = static_cast<SdlPlatform*>(userdata);
    self->audio_pull_(self->audio_context_, reinterpret_cast<std::int16_t*>(stream), length / 4);
  }

  Uint32 initialised_ = 0;
  SDL_Window* window_ = nullptr;
  std::string window_error_;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_GLContext gl_context_ = nullptr;
  int width_ = 0, height_ = 0;
  int texture_width_ = 0, texture_height_ = 0;
  int swap_interval_ = -1;
  int renderer_vsync_ = -1;
  Uint32 tick_event_type_ = 0;
  std::vector<std::unique_ptr<TickThread>> timers_;
  SDL_AudioDeviceID audio_device_ = 0;
  AudioPull audio_pull_ = nullptr;
  void* audio_context_ = nullptr;
};

}  // namespace

std::unique_ptr<Platform> make_sdl_platform() { return std::make_unique<SdlPlatform>(); }

}  // namespace rt::platform
