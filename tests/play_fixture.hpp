// Shared set-up for the play's step tests: a scripted screen, tiny pictures and a quiet level state.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "game/state.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "tests/scratch_folder.hpp"

namespace play_test {

// Every picture handle starts as a see-through picture, so nothing touches until a test places a block.
class PlayTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Keys as the scripted platform delivers them, pending until the game next reads the keyboard.
  void hold(int key);
  void release(int key);
  void tap(int key);

  // Puts obstacle flyer j (1..3) as a solid block on the truck point for the coming frame.
  void put_flyer_on_truck(int j);
  // Makes tile i solid where the truck is (moving the truck to height 640, where the line meets it).
  void make_tile_solid_under_truck(int i);
  // Puts pad `pad` (0..3 stations, 4 the repair place) right under the truck point.
  void put_pad_under_truck(int pad);

  // Frames presented since the set-up (opening the screen presents a few of its own).
  int frames_presented() const;

  // The colour of one pixel of the back buffer as drawn so far (0xRRGGBB).
  std::uint32_t drawn_pixel(int x, int y);
  // How many random draws the steps have made since the call before (each draw is two generator steps).
  std::uint64_t draws_since_last_look();

  std::unique_ptr<game::GameState> state_ = std::make_unique<game::GameState>();
  game::GameState& s = *state_;
  rt::platform::ScriptedPlatform* platform = nullptr;
  int blank_img = 0;   // fully transparent
  int block_img = 0;   // a solid 100 x 100 square
  int truck_img = 0;   // a solid 40 x 40 square
  int quiet_sound = 0;

 private:
  std::unique_ptr<scratch::Folder> folder_;
  std::vector<std::uint32_t> back_;
  std::uint64_t draws_seen_ = 0;
  int presented_at_start_ = 0;
};

}  // namespace play_test
