// A test pilot: reads the game state between frames and holds or taps keys as a player would.
#pragma once
#include <map>
#include <memory>

#include "game/state.hpp"
#include "runtime/platform/scripted_platform.hpp"

namespace play_test {

// Flies the current job: cruises above the terrain and the flyers to the job's station, lowers the
// gear over it, lands, and lifts off again for the next one. Below half health it repairs first.
class Autopilot {
 public:
  explicit Autopilot(rt::platform::ScriptedPlatform& platform) : platform_(platform) {}

  // Call between two frames (for instance from the platform's present hook).
  void steer(const game::GameState& s);

  // Lets go of every key.
  void release_all();

 private:
  struct Shapes;
  const Shapes& shapes(const game::GameState& s);
  void set_key(int key, bool down);
  void tap(int key);

  rt::platform::ScriptedPlatform& platform_;
  std::map<int, bool> held_;
  int turn_direction_ = 1;
  float last_facing_ = 0.0f;
  bool repairing_ = false;
  int taps_wait_ = 0;
  std::shared_ptr<Shapes> shapes_;
};

}  // namespace play_test
