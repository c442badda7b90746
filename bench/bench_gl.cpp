// CPU time of one real play frame on the OpenGL renderer: recorded frames of each world replayed.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/platform/platform.hpp"
#include "runtime/renderer.hpp"
#include "tests/play_recordings.hpp"

namespace {

constexpr int kWarmUpReplays = 30;
constexpr int kMeasuredReplays = 300;

// The whole process's CPU clock: under Mesa the drawing itself runs on the driver's own threads.
double process_cpu_ms() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

}  // namespace

int main() {
  if (std::getenv("DISPLAY") == nullptr) {
    std::fputs("bench_gl: no DISPLAY, so no OpenGL context; gl_play_frame_cpu_ms not measured\n", stderr);
    return 0;
  }
  if (!frame_replay::play_assets_present()) {
    std::fprintf(stderr, "the generated assets are missing from %s\n", SKY_RUN_DIR);
    return 1;
  }
  std::vector<frame_replay::RecordedFrame> frames;
  for (const auto& level : frame_replay::weather_levels()) {
    frames.push_back(frame_replay::record_play_frame(level));
    if (frames.back().calls.empty()) {
      std::fprintf(stderr, "bench_gl: no frame recorded for %s\n", level.name);
      return 1;
    }
  }

  setenv("SDL_VIDEODRIVER", "x11", 0);
  rt::platform::install(rt::platform::make_sdl_platform());
  rt::Renderer& gl = *rt::opengl_renderer();
  if (!gl.open(frames[0].width, frames[0].height, 0, 0, 2)) {
    std::fputs("bench_gl: the OpenGL renderer could not open a screen\n", stderr);
    return 1;
  }
  std::vector<double> frame_ms;
  for (int i = 0; i < kWarmUpReplays + kMeasuredReplays; ++i) {
    const frame_replay::RecordedFrame& frame = frames[static_cast<std::size_t>(i) % frames.size()];
    const double start = process_cpu_ms();
    frame_replay::replay(frame, gl);
    gl.present(false);
    const double stop = process_cpu_ms();
    if (i >= kWarmUpReplays) frame_ms.push_back(stop - start);
  }
  gl.close();
  std::nth_element(frame_ms.begin(), frame_ms.begin() + frame_ms.size() / 2, frame_ms.end());
  std::printf("gl_play_frame_cpu_ms %.3f ms\n", frame_ms[frame_ms.size() / 2]);
  return 0;
}
