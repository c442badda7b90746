// The generated pictures, read with the runtime's own decoders: sizes, alpha, seamless tiles, and
// terrain that lets the truck start anywhere and land on every pad.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/tables.hpp"
#include "runtime/image.hpp"

namespace fs = std::filesystem;
using game::tables::kWorldTable;

namespace {

constexpr int kRing = 3072;
constexpr int kTileW = 1024;

rt::Picture load(const std::string& path) {
  std::ifstream in(fs::path(SKY_RUN_DIR) / path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  bool jpeg = path.size() > 4 && path.substr(path.size() - 4) == ".jpg";
  auto pic = jpeg ? rt::decode_jpeg(bytes.str()) : rt::decode_png(bytes.str());
  if (!pic) ADD_FAILURE() << path << " does not decode";
  return pic.value_or(rt::Picture{});
}

int alpha(std::uint32_t argb) { return static_cast<int>(argb >> 24); }
int channel(std::uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 0xff); }

// The three tiles of a layer side by side, indexed by ring column.
struct Ring {
  rt::Picture tiles[3];
  int height() const { return tiles[0].height; }
  std::uint32_t at(int u, int row) const {
    u = ((u % kRing) + kRing) % kRing;
    return tiles[u / kTileW].at(u % kTileW, row);
  }
  bool solid(int u, int row) const { return row >= 0 && row < height() && alpha(at(u, row)) >= 128; }
};

Ring load_ring(const char* const paths[3]) {
  Ring r;
  for (int t = 0; t < 3; ++t) r.tiles[t] = load(paths[t]);
  return r;
}

// Screen x at world start to ring column: the first game tile starts 1024 left of the screen.
int ring_column(float x) { return ((static_cast<int>(std::floor(x)) + kTileW) % kRing + kRing) % kRing; }

// Rows of the truck's collision pictures (frames 0 and 1) that hold opaque pixels, relative to their centre.
std::pair<int, int> truck_rows() {
  int top = 1 << 20, bottom = -(1 << 20);
  for (const char* name : {"gfx/ship1/animfile0000.png", "gfx/ship1/animfile0001.png"}) {
    rt::Picture p = load(name);
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        if (alpha(p.at(x, y)) < 128) continue;
        top = std::min(top, y - p.height / 2);
        bottom = std::max(bottom, y - p.height / 2);
      }
    }
  }
  return {top, bottom};
}

// Mean colour step across the seam between two columns, and the mean step between neighbours inside.
void expect_seamless(const Ring& ring, const std::string& what) {
  for (int t = 0; t < 3; ++t) {
    int seam = (t + 1) * kTileW % kRing;
    double across = 0, inside = 0;
    int mismatched_alpha = 0;
    for (int row = 0; row < ring.height(); ++row) {
      std::uint32_t l = ring.at(seam - 1, row), r = ring.at(seam, row);
      std::uint32_t l2 = ring.at(seam - 2, row);
      for (int shift : {0, 8, 16}) {
        across += std::abs(channel(l, shift) - channel(r, shift));
        inside += std::abs(channel(l2, shift) - channel(l, shift));
      }
      if ((alpha(l) >= 128) != (alpha(r) >= 128)) ++mismatched_alpha;
    }
    across /= 3.0 * ring.height();
    inside /= 3.0 * ring.height();
    EXPECT_LE(across, inside * 2.5 + 3.0) << what << " seam after tile " << t + 1;
    EXPECT_LE(mismatched_alpha, 6) << what << " seam after tile " << t + 1;
  }
}

}  // namespace

TEST(GeneratedPictures, TruckFramesShareOneEvenSizeAndAreMostlyClearAroundTheTruck) {
  rt::Picture first = load("gfx/ship1/animfile0000.png");
  ASSERT_GT(first.width, 0);
  EXPECT_EQ(first.width % 2, 0);
  EXPECT_EQ(first.height % 2, 0);
  for (int f = 0; f <= 12; ++f) {
    char name[64];
    std::snprintf(name, sizeof name, "gfx/ship1/animfile%04d.png", f);
    rt::Picture p = load(name);
    EXPECT_EQ(p.width, first.width) << name;
    EXPECT_EQ(p.height, first.height) << name;
    EXPECT_TRUE(p.has_alpha) << name;
    EXPECT_EQ(alpha(p.at(0, 0)), 0) << name;
  }
  // Facing right and facing left are mirror images in outline.
  rt::Picture left = load("gfx/ship1/animfile0012.png");
  int differ = 0;
  for (int y = 0; y < first.height; ++y) {
    for (int x = 0; x < first.width; ++x) {
      differ += (alpha(first.at(x, y)) >= 128) != (alpha(left.at(first.width - 1 - x, y)) >= 128);
    }
  }
  EXPECT_LT(differ, first.width * first.height / 50);
}

TEST(GeneratedPictures, PadBarIsAThinOpaqueBarWiderThanTheLightsAreApart) {
  rt::Picture pad = load("gfx/misc/alusta.png");
  int widest = 0;
  for (const auto& w : kWorldTable) widest = std::max(widest, 2 * w.repair_half_w);
  EXPECT_GT(pad.width, widest);
  EXPECT_LT(pad.width, widest + 24);
  EXPECT_LE(pad.height, 8);
  EXPECT_EQ(pad.height % 2, 0);
  for (int y = 0; y < pad.height; ++y) {
    for (int x = 0; x < pad.width; ++x) ASSERT_EQ(alpha(pad.at(x, y)), 255);
  }
}

TEST(GeneratedPictures, FlamePointsTowardNegativeX) {
  rt::Picture flame = load("gfx/misc/lieska.png");
  double mass = 0, moment = 0;
  int leftmost = flame.width, rightmost = -1;
  for (int y = 0; y < flame.height; ++y) {
    for (int x = 0; x < flame.width; ++x) {
      int a = alpha(flame.at(x, y));
      mass += a;
      moment += a * (x + 0.5);
      if (a >= 32) leftmost = std::min(leftmost, x), rightmost = std::max(rightmost, x);
    }
  }
  ASSERT_GT(mass, 0);
  // The broad base sits right of centre; the thin tip reaches further out on the left.
  EXPECT_GT(moment / mass, flame.width / 2.0);
  EXPECT_GT(flame.width / 2 - leftmost, rightmost - flame.width / 2);
}

TEST(GeneratedPictures, FullScreenPicturesCoverTheScreen) {
  for (const char* name : {"gfx/misc/startup.png", "gfx/misc/loading.jpg", "gfx/misc/gameover.png", "gfx/misc/endscreen.jpg",
                           "gfx/misc/fog.jpg", "gfx/misc/levelcomplete.png", "gfx/misc/worldcomplete.png"}) {
    rt::Picture p = load(name);
    EXPECT_EQ(p.width, 1024) << name;
    EXPECT_EQ(p.height, 768) << name;
  }
  rt::Picture title = load("gfx/misc/startup.png");
  for (int y = 0; y < title.height; y += 7) {
    for (int x = 0; x < title.width; x += 7) ASSERT_EQ(alpha(title.at(x, y)), 255);
  }
}

TEST(GeneratedTiles, EveryLayerIsARingOfThreeTilesThatJoinWithoutASeam) {
  for (const auto& w : kWorldTable) {
    Ring game = load_ring(w.game_tiles), back = load_ring(w.back_tiles), front = load_ring(w.front_tiles);
    for (const Ring* r : {&game, &back, &front}) {
      for (const rt::Picture& t : r->tiles) EXPECT_EQ(t.width, kTileW);
    }
    // The back layer moves at a fifth of the game layer's rate and must cover the screen throughout.
    EXPECT_GE(back.height(), 1536);
    EXPECT_GE(game.height(), 1280);
    EXPECT_TRUE(game.tiles[0].has_alpha);
    EXPECT_TRUE(front.tiles[0].has_alpha);
    expect_seamless(game, w.game_tiles[0]);
    expect_seamless(back, w.back_tiles[0]);
    expect_seamless(front, w.front_tiles[0]);
  }
}

TEST(GeneratedTiles, NothingSolidReachesTheTruckAtItsStartHeight) {
  auto [top, bottom] = truck_rows();
  ASSERT_LT(top, bottom);
  for (const auto& w : kWorldTable) {
    Ring game = load_ring(w.game_tiles);
    // truck_y 200 puts the game layer's centre line 824 pixels below the screen top, the truck at 384.
    const int centre_row = game.height() / 2;
    const int truck_bottom_row = centre_row + (384 - 824) + bottom;
    for (int u = 0; u < kRing; ++u) {
      for (int row = 0; row <= truck_bottom_row + 4; ++row) {
        ASSERT_FALSE(game.solid(u, row)) << w.game_tiles[0] << " column " << u << " row " << row;
      }
    }
  }
}

TEST(GeneratedTiles, EveryPadRestsJustAboveADeckUnderOpenSky) {
  rt::Picture pad = load("gfx/misc/alusta.png");
  for (const auto& w : kWorldTable) {
    Ring game = load_ring(w.game_tiles);
    const int centre_row = game.height() / 2;
    std::vector<game::tables::Place> places{w.repair};
    for (const auto& s : w.stations) places.push_back(s);
    for (const auto& place : places) {
      // The pad is drawn centred 15 above the place; its rows and columns on the game layer:
      const int pad_top = centre_row + static_cast<int>(place.y) - 15 - pad.height / 2;
      const int pad_bottom = pad_top + pad.height - 1;
      const int u0 = ring_column(place.x) - pad.width / 2;
      for (int du = 0; du < pad.width; ++du) {
        for (int row = 0; row <= pad_bottom; ++row) {
          ASSERT_FALSE(game.solid(u0 + du, row)) << w.game_tiles[0] << " place x " << place.x << " column " << du
                                                 << " row " << row - centre_row;
        }
        bool ground_close = false;
        for (int row = pad_bottom + 1; row <= pad_bottom + 3; ++row) ground_close = ground_close || game.solid(u0 + du, row);
        EXPECT_TRUE(ground_close) << w.game_tiles[0] << " place x " << place.x << " column " << du;
      }
    }
  }
}

TEST(GeneratedTiles, FrontLayerStaysBelowEveryPadWhileTheTruckFliesAsLowAsItCan) {
  const int bottom = truck_rows().second;
  for (const auto& w : kWorldTable) {
    Ring game = load_ring(w.game_tiles), front = load_ring(w.front_tiles);
    const int game_centre = game.height() / 2, front_centre = front.height() / 2;
    // The lowest ground anywhere bounds how low the truck can fly.
    int lowest_ground = 0;
    for (int u = 0; u < kRing; ++u) {
      int row = 0;
      while (row < game.height() && !game.solid(u, row)) ++row;
      lowest_ground = std::max(lowest_ground, row - game_centre);
    }
    const float deepest_truck_y = 640.0f + lowest_ground - bottom;
    int front_top = front.height();
    for (int u = 0; u < kRing; ++u) {
      for (int row = 0; row < front_top; ++row) {
        if (alpha(front.at(u, row)) > 0) front_top = row;
      }
    }
    std::vector<game::tables::Place> places{w.repair};
    for (const auto& s : w.stations) places.push_back(s);
    for (float truck_y = 200; truck_y <= deepest_truck_y; truck_y += 1) {
      float front_screen_top = 1500 - 1.3f * truck_y + (front_top - front_centre);
      for (const auto& place : places) {
        float pad_screen = place.y + 1024 - truck_y - 15;
        if (pad_screen > 768) continue;
        ASSERT_LT(pad_screen + 8, front_screen_top) << w.front_tiles[0] << " truck_y " << truck_y << " place x " << place.x;
      }
    }
  }
}
