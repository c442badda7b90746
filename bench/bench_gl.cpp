// CPU and wall time of one real play frame on the OpenGL renderer: recorded frames of each world replayed.
#include <time.h>

#include <algorithm>
#include <chrono>
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

// The value below which the given share of the samples lies.
double percentile(std::vector<double> samples, double share) {
  const auto at = samples.begin() + static_cast<std::ptrdiff_t>(share * static_cast<double>(samples.size() - 1));
  std::nth_element(samples.begin(), at, samples.end());
  return *at;
}

}  // namespace

int main() {
  if (std::getenv("DISPLAY") == nullptr) {
    std::fputs("bench_gl: no DISPLAY, so no OpenGL context; the gl_play_frame figures are not measured\n", stderr);
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
  std::vector<double> cpu_ms, wall_ms;
  for (int i = 0; i < kWarmUpReplays + kMeasuredReplays; ++i) {
    const frame_replay::RecordedFrame& frame = frames[static_cast<std::size_t>(i) % frames.size()];
    const double cpu_start = process_cpu_ms();
    const auto wall_start = std::chrono::steady_clock::now();
    frame_replay::replay(frame, gl);
    // The swap waits for the driver to finish drawing, so the wall time is the whole frame's.
    gl.present(false);
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - wall_start;
    const double cpu_stop = process_cpu_ms();
    if (i >= kWarmUpReplays) {
      cpu_ms.push_back(cpu_stop - cpu_start);
      wall_ms.push_back(wall.count());
    }
  }
  gl.close();
  std::printf("gl_play_frame_cpu_ms %.3f ms\n", percentile(cpu_ms, 0.5));
  std::printf("gl_play_frame_wall_ms %.3f ms\n", percentile(wall_ms, 0.5));
  std::printf("gl_play_frame_wall_p90_ms %.3f ms\n", percentile(wall_ms, 0.9));
  return 0;
}
