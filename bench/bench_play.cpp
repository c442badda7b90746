// Time of one whole play frame of the heaviest level (fog and rain) on the software renderer.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "game/game_loop.hpp"
#include "game/play.hpp"
#include "game/world_setup.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/runtime.hpp"

namespace {

constexpr int kHeaviestLevel = 8;  // the city's last level: fog, rain and the strongest wind
constexpr int kWarmUpFrames = 30;
constexpr int kMeasuredFrames = 400;
constexpr float kCruiseHeight = 150.0f;

void set_key(rt::platform::ScriptedPlatform& platform, int key, bool down, bool& held) {
  if (held == down) return;
  held = down;
  platform.push_event({down ? rt::platform::EventType::KeyDown : rt::platform::EventType::KeyUp, key});
}

// A plain scripted flight: rightward at a steady speed, the jet keeping a cruising height.
void steer(rt::platform::ScriptedPlatform& platform, const game::GameState& s, bool& up, bool& right, bool& left) {
  const double sink = double{s.thrust_vy} - double{s.gravity_vy} + 0.045;
  set_key(platform, rt::VK_UP, sink > (kCruiseHeight - s.truck_y) * 0.05, up);
  set_key(platform, rt::VK_RIGHT, s.scroll_dx < 2.0f, right);
  set_key(platform, rt::VK_LEFT, s.scroll_dx > 2.2f, left);
}

}  // namespace

int main() {
  if (!std::filesystem::exists(std::filesystem::path(SKY_RUN_DIR) / "gfx/level1/peli1.png")) {
    std::fprintf(stderr, "the generated assets are missing from %s\n", SKY_RUN_DIR);
    return 1;
  }
  std::filesystem::current_path(SKY_RUN_DIR);
  auto scripted = std::make_unique<rt::platform::ScriptedPlatform>();
  rt::platform::ScriptedPlatform& platform = *scripted;
  rt::platform::install(std::move(scripted));
  rt::register_image_decoders();
  rt::start_audio();
  rt::register_sound_decoders();
  rt::select_graphics_driver(rt::d3d7_renderer_2d(), 2);
  rt::open_screen(1024, 768, 32, 60, 0);
  rt::set_auto_centre_handle(1);

  game::GameState& s = game::state();
  game::set_program_start_values(s);
  game::hand_over_to_game(s);
  s.level_index = kHeaviestLevel;
  s.world = 3;
  game::world_setup(s);
  game::start_level(s);
  rt::set_blend_mode(3);

  bool up = false, right = false, left = false;
  std::vector<double> frame_ms;
  for (int f = 0; f < kWarmUpFrames + kMeasuredFrames; ++f) {
    steer(platform, s, up, right, left);
    // The frame pair's head, as the play loop runs it every other frame.
    if (f % 2 == 0) s.prev_y = s.truck_y;
    const auto start = std::chrono::steady_clock::now();
    const auto end = game::run_frame(s);
    const auto stop = std::chrono::steady_clock::now();
    if (end) {
      std::fprintf(stderr, "the flight ended the level after %d frames\n", f);
      return 1;
    }
    if (f >= kWarmUpFrames) frame_ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
  }
  std::nth_element(frame_ms.begin(), frame_ms.begin() + frame_ms.size() / 2, frame_ms.end());
  std::printf("soft_play_frame_ms %.3f ms\n", frame_ms[frame_ms.size() / 2]);
  return 0;
}
