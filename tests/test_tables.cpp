// The level and world tables: routes, overlays, dialogue and the folders each world draws from.
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
  for (const auto& row : kLevelTable) {
    EXPECT_TRUE(row.from >= 0 && row.from < 4 && row.to >= 0 && row.to < 4);
    EXPECT_NE(row.from, row.to);
  }
}

TEST(LevelTable, OverlayAlphaIsLeftUnwrittenOnlyInTheFourthAndSeventhLevels) {
  for (int r = 0; r < 9; ++r) EXPECT_EQ(kLevelTable[r].writes_overlay_alpha, r != 3 && r != 6) << r;
}

TEST(LevelTable, DialogueIsPlainAscii) {
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

// The asset generator lays its landing platforms under these points, so a slip here strands a pad.
TEST(WorldTable, SongsRepairPlacesAndStationsOfEachWorld) {
  const int songs[3] = {1, 0, 2};
  const float repair[3][3] = {{655, -225, 66}, {822, -275, 73}, {1280, 195, 66}};
  const float stations[3][4][2] = {{{-216, 157}, {1308, -2}, {1672, -208}, {2252, -92}},
                                   {{-60, 324}, {1166, 320}, {1723, 330}, {2275, 277}},
                                   {{-332, -298}, {642, -148}, {1592, -220}, {2279, 30}}};
  for (int w = 0; w < 3; ++w) {
    SCOPED_TRACE(w + 1);
    const auto& row = kWorldTable[w];
    EXPECT_EQ(row.song, songs[w]);
    EXPECT_EQ(row.city_layer_flags, w == 2);
    EXPECT_EQ(row.repair.x, repair[w][0]);
    EXPECT_EQ(row.repair.y, repair[w][1]);
    EXPECT_EQ(row.repair_half_w, static_cast<int>(repair[w][2]));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(row.stations[i].x, stations[w][i][0]) << "station " << i + 1;
      EXPECT_EQ(row.stations[i].y, stations[w][i][1]) << "station " << i + 1;
    }
  }
}

TEST(LevelTable, WeatherWindAndFlyerHeightsOfEachLevel) {
  // Fog, rain, snow, sand storm.
  const int weather[9][4] = {{0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}, {0, 0, 1, 0},
                             {1, 0, 1, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {1, 1, 0, 0}};
  const float alpha[9] = {0.0f, 0.1f, 0.2f, 0.0f, 0.1f, 0.2f, 0.0f, 0.1f, 0.3f};
  const float wind[9] = {0.0f, 0.015f, 0.031f, 0.0f, 0.02f, 0.03f, 0.0f, 0.02f, 0.035f};
  const int flyer_y[9] = {400, 300, 200, 500, 400, 300, 600, 500, 600};
  for (int r = 0; r < 9; ++r) {
    SCOPED_TRACE(r);
    const auto& row = kLevelTable[r];
    EXPECT_EQ(row.fog, weather[r][0]);
    EXPECT_EQ(row.rain, weather[r][1]);
    EXPECT_EQ(row.snow, weather[r][2]);
    EXPECT_EQ(row.sandstorm, weather[r][3]);
    EXPECT_EQ(row.overlay_alpha, alpha[r]);
    EXPECT_EQ(row.wind, wind[r]);
    EXPECT_EQ(row.flyer_y, flyer_y[r]);
  }
}
