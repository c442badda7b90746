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
