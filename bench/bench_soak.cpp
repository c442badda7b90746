// Memory over many games in a row: whole games on the scripted platform, each left early with Esc.
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "tests/whole_game_run.hpp"

namespace {

constexpr int kGames = 50;

double resident_mb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0.0;
}

std::string empty_table() {
  std::string bytes;
  for (int r = 0; r < 15; ++r) bytes += "0\r\n\r\n";
  return bytes;
}

}  // namespace

int main() {
  using namespace whole_game;
  GameFolder folder(SKY_RUN_DIR);
  write_bytes("scores.txt", empty_table());

  auto owned = std::make_unique<CountingPlatform>();
  CountingPlatform& platform = *owned;
  rt::platform::install(std::move(owned));

  GameDriver* driver_ptr = nullptr;
  int escaped_in_pass = 0;
  auto leave_early = [&](CountingPlatform& p, game::GameState&) {
    if (escaped_in_pass == driver_ptr->pass()) return;
    escaped_in_pass = driver_ptr->pass();
    p.tap(rt::VK_ESCAPE);
    driver_ptr->game_ended();
  };
  GameDriver driver(platform, leave_early, {'S', 'O', 'A', 'K'});
  driver_ptr = &driver;

  double after_first = 0.0;
  double after_last = 0.0;
  platform.on_present([&](int frame) { driver.on_frame(frame); });
  driver.watch([&](int, int pass, Phase phase) {
    if (phase != Phase::Title) return;
    if (pass == 2 && after_first == 0.0) after_first = resident_mb();
    if (pass == kGames + 1) {
      after_last = resident_mb();
      throw rt::platform::ScenarioStop{};
    }
  });

  const auto status = run_game_until_stopped();
  if (status) {
    std::fprintf(stderr, "the game ended with status %d before %d games were played\n", *status, kGames);
    return 1;
  }
  std::printf("rss_mb_after_game1 %.1f MB\n", after_first);
  std::printf("rss_mb_after_game50 %.1f MB\n", after_last);
  std::printf("soak_games %d games\n", kGames);
  return 0;
}
