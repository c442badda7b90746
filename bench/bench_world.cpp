// Time of a world setup: the first of a program run, which decodes every file, and later ones, which share them.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "game/world_setup.hpp"
#include "scripted_game.hpp"

namespace {

constexpr int kColdRuns = 5;
constexpr int kWarmRuns = 10;

double world_setup_ms() {
  game::GameState& s = game::state();
  bench::enter_world(s, 1, 0);
  const auto start = std::chrono::steady_clock::now();
  game::world_setup(s);
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(stop - start).count();
}

// Each cold setup runs in a fresh child process, so nothing is decoded when it begins. Negative on failure.
double cold_world_setup_ms() {
  int fds[2];
  if (pipe(fds) != 0) return -1.0;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    double ms = -1.0;
    if (bench::start_scripted_game()) ms = world_setup_ms();
    const bool written = write(fds[1], &ms, sizeof ms) == static_cast<ssize_t>(sizeof ms);
    _exit(written ? 0 : 1);
  }
  close(fds[1]);
  double ms = -1.0;
  if (child < 0 || read(fds[0], &ms, sizeof ms) != static_cast<ssize_t>(sizeof ms)) ms = -1.0;
  close(fds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return ms;
}

}  // namespace

int main() {
  std::vector<double> cold, warm;
  for (int i = 0; i < kColdRuns; ++i) {
    cold.push_back(cold_world_setup_ms());
    if (cold.back() < 0) return 1;
  }
  if (!bench::start_scripted_game()) return 1;
  world_setup_ms();
  // What every later game of the run pays for its first world: the same files again.
  for (int i = 0; i < kWarmRuns; ++i) warm.push_back(world_setup_ms());
  std::printf("world_setup_cold_ms %.3f ms\n", bench::median(cold));
  std::printf("world_setup_warm_ms %.3f ms\n", bench::median(warm));
  return 0;
}
