// The scene's moving parts: layers and their wrap, flyers, clouds and the gear spray.
#include <gtest/gtest.h>

#include "game/scene.hpp"
#include "runtime/random.hpp"
#include "tests/play_fixture.hpp"

namespace {

using play_test::PlayTest;

class SceneTest : public PlayTest {};

TEST_F(SceneTest, CloudsMoveInWholePixelsTruncatedTowardZero) {
  struct Case {
    float speed;
    int from, to;
  };
  const Case cases[] = {{0.0f, 100, 102}, {0.5f, 100, 101}, {0.5f, -100, -98}, {2.5f, 0, 0},
                        {2.5f, 5, 4},     {2.5f, -5, -5},    {2.5f, 1, 0},      {3.0f, 10, 9}};
  for (const Case& c : cases) {
    s.scroll_dx = c.speed;
    s.cloud_x[0] = c.from;
    game::run_clouds(s);
    EXPECT_EQ(s.cloud_x[0], c.to) << "speed " << c.speed << " from " << c.from;
  }
}

TEST_F(SceneTest, ACloudPastTheRightEdgeComesBackFromTheLeft) {
  s.cloud_x[0] = 1422;
  game::run_clouds(s);
  EXPECT_EQ(s.cloud_x[0], 1424) << "1424 is not past the edge";
  draws_since_last_look();
  game::run_clouds(s);
  EXPECT_EQ(s.cloud_x[0], -400);
  EXPECT_GE(s.cloud_h[0], 300);
  EXPECT_LT(s.cloud_h[0], 1000);
  EXPECT_EQ(draws_since_last_look(), 1u);
}

TEST_F(SceneTest, SprayAtOrAbove434NeverRestartsAndAt444AlwaysDoes) {
  s.gear_down[0] = 1;
  s.spray_vy.fill(0.0f);
  s.spray_y.fill(434.0f);
  draws_since_last_look();
  game::run_gear_spray(s);
  EXPECT_EQ(draws_since_last_look(), 2u * game::kSpray) << "the restart test and the streak";
  for (float y : s.spray_y) EXPECT_EQ(y, 434.0f);

  s.spray_y.fill(444.0f);
  game::run_gear_spray(s);
  EXPECT_EQ(draws_since_last_look(), 5u * game::kSpray);
  for (int i = 0; i < game::kSpray; ++i) {
    EXPECT_EQ(s.spray_y[i], 408.0f);
    EXPECT_GE(s.spray_x[i], 477.0f);
    EXPECT_LT(s.spray_x[i], 532.0f);
    EXPECT_GE(s.spray_size[i], 1);
    EXPECT_LE(s.spray_size[i], 5);
    EXPECT_GE(s.spray_vy[i], 0.2f);
    EXPECT_LT(s.spray_vy[i], 3.2f);
  }
}

TEST_F(SceneTest, SprayBetweenTheBoundsRestartsOnTheDrawnDepth) {
  s.gear_down[0] = 1;
  s.spray_vy.fill(0.0f);
  s.spray_y.fill(439.0f);
  game::run_gear_spray(s);
  int restarted = 0;
  for (float y : s.spray_y) restarted += (y == 408.0f);
  EXPECT_GT(restarted, 0);
  EXPECT_LT(restarted, game::kSpray);
}

TEST_F(SceneTest, SprayRestsWithTheGearUp) {
  s.spray_y.fill(500.0f);
  s.spray_vy.fill(2.0f);
  draws_since_last_look();
  game::run_gear_spray(s);
  EXPECT_EQ(draws_since_last_look(), 0u);
  EXPECT_EQ(s.spray_y[7], 500.0f);
}

TEST_F(SceneTest, FlyersRestartOnlyPastTheRightEdge) {
  s.level_index = 4;
  s.scroll_dx = 0.0f;
  s.flyer_x = {1423.0f, 1522.0f, 1521.0f, -9000.0f, 0.0f};
  s.flyer_speed = {0, 2, 4, 1, 0};
  draws_since_last_look();
  game::run_flyers(s);
  EXPECT_EQ(s.flyer_x[0], 1424.0f);
  EXPECT_EQ(s.flyer_x[1], 1524.0f);
  EXPECT_EQ(s.flyer_x[2], -700.0f);
  EXPECT_GE(s.flyer_y[2], 400.0f);
  EXPECT_LT(s.flyer_y[2], 1000.0f);
  EXPECT_GE(s.flyer_speed[2], 1);
  EXPECT_LE(s.flyer_speed[2], 4);
  EXPECT_EQ(s.flyer_x[3], -8999.0f) << "no restart at the left";
  EXPECT_EQ(draws_since_last_look(), 2u);

  game::run_flyers(s);
  EXPECT_EQ(s.flyer_x[0], -800.0f);
  EXPECT_EQ(s.flyer_y[0], 800.0f);
  EXPECT_EQ(s.flyer_x[1], -700.0f);
}

TEST_F(SceneTest, ADistantFlyerMatchingTheTruckStandsStill) {
  s.scroll_dx = 1.0f;
  s.flyer_x[0] = 300.0f;
  game::run_flyers(s);
  EXPECT_EQ(s.flyer_x[0], 300.0f);
}

TEST_F(SceneTest, BackTilesWrapWithoutShiftAndFrontTilesByTwiceTheSpeed) {
  s.scroll_dx = 2.5f;
  s.back_layer_x = {2560.5f, 2561.0f, 0.0f};
  game::draw_back_layer(s);
  EXPECT_EQ(s.back_layer_x[0], 2560.0f) << "exactly at the end stays";
  EXPECT_EQ(s.back_layer_x[1], -512.0f);
  EXPECT_EQ(s.back_layer_x[2], -0.5f);

  s.front_layer_x = {2565.0f, 2566.0f, -1532.0f};
  game::draw_front_layer(s);
  EXPECT_EQ(s.front_layer_x[0], 2560.0f);
  EXPECT_EQ(s.front_layer_x[1], -517.0f) << "-512 - 2 x 2.5";
  EXPECT_EQ(s.front_layer_x[2], 1531.0f) << "1536 - 2 x 2.5";
}

TEST_F(SceneTest, LayersFollowTheTruckAtTheirOwnRates) {
  s.truck_y = 300.0f;
  game::draw_back_layer(s);
  EXPECT_EQ(s.back_y, 452.0f);
  game::draw_front_layer(s);
  EXPECT_EQ(s.front_layer_y, static_cast<float>(1500.0 - 300.0 * double{1.3f}));
}

}  // namespace
