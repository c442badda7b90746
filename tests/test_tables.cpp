// The level and world tables: the routes, weather and places that the levels and terrain are built on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/tables.hpp"

using game::tables::kLevelTable;
using game::tables::kWorldTable;

TEST(LevelTable, EachWorldOwnsThreeConsecutiveLevelsStartingAtItsFirst) {
  for (int w = 0; w < game::tables::kWorlds; ++w) {
    const int first = kWorldTable[w].first_level;
    EXPECT_EQ(first, 3 * w);
    for (int r = first; r < first + 3; ++r) EXPECT_EQ(kLevelTable[r].world, w + 1) << "level " << r;
  }
}

TEST(LevelTable, FirstRoutesJoinTwoDifferentStations) {
  const int expected[9][2] = {{0, 1}, {2, 0}, {3, 1}, {1, 2}, {2, 1}, {3, 2}, {0, 3}, {2, 1}, {1, 0}};
  for (int r = 0; r < game::tables::kLevels; ++r) {
    EXPECT_EQ(kLevelTable[r].from, expected[r][0]) << "level " << r;
    EXPECT_EQ(kLevelTable[r].to, expected[r][1]) << "level " << r;
    EXPECT_NE(kLevelTable[r].from, kLevelTable[r].to);
  }
}

TEST(LevelTable, WeatherOfEachWorld) {
  // Desert storms, winter snow with fog in its last level, city fog with rain after its first level.
  const int fog[9] = {0, 0, 0, 0, 0, 1, 1, 1, 1};
  const int rain[9] = {0, 0, 0, 0, 0, 0, 0, 1, 1};
  const int snow[9] = {0, 0, 0, 1, 1, 1, 0, 0, 0};
  const int storm[9] = {0, 1, 1, 0, 0, 0, 0, 0, 0};
  for (int r = 0; r < 9; ++r) {
    EXPECT_EQ(kLevelTable[r].fog, fog[r]) << r;
    EXPECT_EQ(kLevelTable[r].rain, rain[r]) << r;
    EXPECT_EQ(kLevelTable[r].snow, snow[r]) << r;
    EXPECT_EQ(kLevelTable[r].sandstorm, storm[r]) << r;
  }
}

TEST(LevelTable, OverlayAlphaIsLeftUnwrittenOnlyInTheFourthAndSeventhLevels) {
  for (int r = 0; r < 9; ++r) EXPECT_EQ(kLevelTable[r].writes_overlay_alpha, r != 3 && r != 6) << r;
}

TEST(LevelTable, WindsAndAlphasAreTheNearestSinglePrecisionValues) {
  const double wind[9] = {0.0, 0.015, 0.031, 0.0, 0.02, 0.03, 0.0, 0.02, 0.035};
  const double alpha[9] = {0.0, 0.1, 0.2, 0.0, 0.1, 0.2, 0.0, 0.1, 0.3};
  for (int r = 0; r < 9; ++r) {
    EXPECT_EQ(kLevelTable[r].wind, static_cast<float>(wind[r])) << r;
    EXPECT_EQ(kLevelTable[r].overlay_alpha, static_cast<float>(alpha[r])) << r;
  }
}

TEST(LevelTable, FlyerHeightsAndTints) {
  const int flyer_y[9] = {400, 300, 200, 500, 400, 300, 600, 500, 600};
  for (int r = 0; r < 9; ++r) EXPECT_EQ(kLevelTable[r].flyer_y, flyer_y[r]) << r;
  EXPECT_EQ(kLevelTable[2].back.r, 245);
  EXPECT_EQ(kLevelTable[2].back.g, 225);
  EXPECT_EQ(kLevelTable[2].game.b, 255);
  EXPECT_EQ(kLevelTable[6].back.b, 215);
  EXPECT_EQ(kLevelTable[8].game.r, 235);
  EXPECT_EQ(kLevelTable[8].game.g, 205);
  for (const auto& row : kLevelTable) {
    for (int c : {row.back.r, row.back.g, row.back.b, row.game.r, row.game.g, row.game.b}) {
      EXPECT_GE(c, 0);
      EXPECT_LE(c, 255);
    }
  }
}

TEST(LevelTable, DialogueIsPlainAsciiAndFitsTheBubbleLines) {
  EXPECT_STREQ(kLevelTable[0].dialogue, "Hey there trucker. New in town? Please deliver these goods for me, ok?");
  EXPECT_STREQ(kLevelTable[8].dialogue, "Ok, it's time for your final job! Keep it up!");
  for (const auto& row : kLevelTable) {
    ASSERT_NE(row.dialogue, nullptr);
    EXPECT_GT(std::strlen(row.dialogue), 0u);
    for (const char* p = row.dialogue; *p; ++p) {
      EXPECT_GE(static_cast<unsigned char>(*p), 32);
      EXPECT_LT(static_cast<unsigned char>(*p), 127);
    }
  }
}

TEST(WorldTable, WorldsTakeTilesFromTheirFolderAndSpeakersByNumber) {
  const char* folders[3] = {"gfx/level3/", "gfx/level2/", "gfx/level1/"};
  for (int w = 0; w < 3; ++w) {
    const auto& row = kWorldTable[w];
    for (int i = 0; i < 3; ++i) {
      const std::string n = std::to_string(i + 1);
      EXPECT_EQ(std::string(row.game_tiles[i]), folders[w] + ("peli" + n + ".png"));
      EXPECT_EQ(std::string(row.back_tiles[i]), folders[w] + ("tausta" + n + ".jpg"));
      EXPECT_EQ(std::string(row.front_tiles[i]), folders[w] + ("etu" + n + ".png"));
    }
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(std::string(row.speakers[i]),
                "gfx/misc/world" + std::to_string(w + 1) + "_" + std::to_string(i + 1) + ".png");
    }
  }
}

TEST(WorldTable, SongsAndLayerFlags) {
  EXPECT_EQ(kWorldTable[0].song, 1);  // desert
  EXPECT_EQ(kWorldTable[1].song, 0);  // winter
  EXPECT_EQ(kWorldTable[2].song, 2);  // city
  EXPECT_FALSE(kWorldTable[0].city_layer_flags);
  EXPECT_FALSE(kWorldTable[1].city_layer_flags);
  EXPECT_TRUE(kWorldTable[2].city_layer_flags);
}

TEST(WorldTable, RepairPlacesAndStations) {
  const float repair[3][3] = {{655, -225, 66}, {822, -275, 73}, {1280, 195, 66}};
  const float stations[3][4][2] = {{{-216, 157}, {1308, -2}, {1672, -208}, {2252, -92}},
                                   {{-60, 324}, {1166, 320}, {1723, 330}, {2275, 277}},
                                   {{-332, -298}, {642, -148}, {1592, -220}, {2279, 30}}};
  for (int w = 0; w < 3; ++w) {
    EXPECT_EQ(kWorldTable[w].repair.x, repair[w][0]) << w;
    EXPECT_EQ(kWorldTable[w].repair.y, repair[w][1]) << w;
    EXPECT_EQ(kWorldTable[w].repair_half_w, static_cast<int>(repair[w][2])) << w;
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(kWorldTable[w].stations[i].x, stations[w][i][0]) << w << "," << i;
      EXPECT_EQ(kWorldTable[w].stations[i].y, stations[w][i][1]) << w << "," << i;
    }
  }
}
