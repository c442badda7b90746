// The three worlds' landscapes: game, back and front layers as rings of three 1024-pixel tiles.
//
// Each layer is painted as one 3072-pixel ring with noise and shapes that repeat around it, then cut
// into tiles, so tile 3 joins tile 1 as well as its neighbours. The game layer is a height field:
// every column is solid from its surface down, which makes its alpha the contact shape.
#include "tools/terrain.hpp"

#include <algorithm>
#include <cmath>

#include "game/tables.hpp"

namespace gen {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kSub = 4;                  // height samples per pixel column
constexpr float kDeckHalf = 92.0f;       // flat deck either side of a pad's centre
constexpr float kClearHalf = 180.0f;     // nothing higher than the deck this close to a pad
constexpr float kDecorClear = 230.0f;    // no trees, cacti or masts this close to a pad
constexpr int kGameCentre = kGameTileHeight / 2;
constexpr int kFrontCentre = kFrontTileHeight / 2;

struct Place {
  float u;     // ring column
  float deck;  // world y of the deck surface
};

float ring_u(float x) {
  float u = std::fmod(x + kTileWidth, float(kRingWidth));
  return u < 0 ? u + kRingWidth : u;
}

float ring_dist(float a, float b) {
  float d = std::fabs(a - b);
  return std::min(d, kRingWidth - d);
}

std::vector<Place> places_of(int world) {
  const auto& row = game::tables::kWorldTable[world];
  std::vector<Place> out{{ring_u(row.repair.x), row.repair.y - kDeckAboveAnchor}};
  for (const auto& s : row.stations) out.push_back({ring_u(s.x), s.y - kDeckAboveAnchor});
  return out;
}

// Noise that repeats around the ring: scale must divide the ring width.
float ring_noise(std::uint32_t seed, float u, float scale, int octaves = 3) {
  return fbm(seed, u / scale, 0.5f, octaves, static_cast<int>(kRingWidth / scale));
}

float ring_noise2(std::uint32_t seed, float u, float y, float scale, int octaves = 3) {
  return fbm(seed, u / scale, y / scale, octaves, static_cast<int>(kRingWidth / scale));
}

float ring_sin(float u, int waves, float phase) { return std::sin(2 * kPi * waves * u / kRingWidth + phase); }

float near_place(const std::vector<Place>& places, float u) {
  float best = 1e9f;
  for (const Place& p : places) best = std::min(best, ring_dist(u, p.u));
  return best;
}

// A flat-topped hill: the top at height top over |d| <= half, falling to ground over run pixels.
float hill(float d, float half, float run, float top, float ground, float shape) {
  if (d <= half) return top;
  float t = std::min(1.0f, (d - half) / run);
  return top + (ground - top) * std::pow(t, shape);
}

// ---------------------------------------------------------------- the worlds' height fields

struct Building {
  float u0, u1, top;
  Rgba facade;
  std::uint32_t seed;
};

struct World {
  int index;
  std::vector<Place> places;
  std::vector<float> height;  // kRingWidth * kSub samples of surface y
  std::vector<float> rock;    // per column: 1 where bare rock shows (mesas, cliffs)
  std::vector<Building> buildings;
};

float desert_natural(const World& w, float u, float& rock) {
  float dunes = 250 - 26 * (0.5f + 0.5f * ring_sin(u, 9, 0.7f)) * (0.6f + 0.8f * ring_noise(11, u, 512)) -
                18 * std::pow(0.5f + 0.5f * ring_sin(u, 17, 2.1f), 2.0f) - 20 * ring_noise(12, u, 128);
  float s = dunes;
  rock = 0;
  auto add_mesa = [&](float cu, float half, float run, float top) {
    float d = ring_dist(u, cu);
    float rough = 10 * (ring_noise(13, u, 16, 2) - 0.5f);
    float m = hill(d, half, run, top, dunes + 40, 0.45f) + (d > half ? rough : 0);
    if (m < s) {
      s = m;
      rock = 1;
    }
  };
  for (const Place& p : w.places) {
    if (p.deck < dunes - 20) add_mesa(p.u, kDeckHalf + 50, 90, p.deck);
  }
  add_mesa(1180, 50, 60, -330);
  add_mesa(1960, 120, 80, -150);
  add_mesa(3000, 40, 70, -280);
  add_mesa(470, 70, 70, 20);
  return s;
}

float winter_natural(const World& w, float u, float& rock) {
  float valley = 360 + 18 * ring_sin(u, 5, 0.3f) + 30 * (ring_noise(21, u, 256) - 0.5f);
  float s = valley;
  rock = 0;
  auto add_peak = [&](float cu, float half, float top) {
    float d = ring_dist(u, cu);
    float t = std::min(1.0f, d / half);
    float ridge = 1 - std::fabs(2 * ring_noise(22, u, 32, 3) - 1);
    float bumpy = 40 * (ring_noise(24, u, 64, 3) - 0.5f) * t * (1 - t) * 4;
    float m = top + (valley - top) * std::pow(t, 0.85f) + 26 * ridge * (1 - t) * t * 4 + bumpy;
    if (m < s) {
      s = m;
      rock = clamp01((valley - m) / 200);
    }
  };
  for (const Place& p : w.places) {
    if (p.deck < valley - 20) {
      float d = ring_dist(u, p.u);
      float m = hill(d, kDeckHalf + 30, 260, p.deck, valley, 0.8f) + (d > kDeckHalf + 30 ? 14 * (ring_noise(23, u, 16) - 0.5f) : 0);
      if (m < s) {
        s = m;
        rock = 0.6f;
      }
    } else {
      s = std::min(s, hill(ring_dist(u, p.u), kDeckHalf + 40, 120, p.deck, valley, 1.2f));
    }
  }
  add_peak(600, 240, -330);
  add_peak(1420, 300, -385);
  add_peak(2470, 190, -240);
  add_peak(3010, 220, -360);
  return s;
}

std::vector<Building> city_buildings(const std::vector<Place>& places) {
  const Rgba facades[] = {rgb(150, 120, 110), rgb(120, 130, 150), rgb(170, 160, 140), rgb(100, 110, 120),
                          rgb(140, 100, 90),  rgb(90, 120, 140),  rgb(180, 170, 160)};
  std::vector<Building> out;
  Rng rng(77);
  // Pad buildings first, exactly under their decks (the repair yard stands at street level).
  for (const Place& p : places) {
    if (p.deck < 150) {
      out.push_back({p.u - kDeckHalf - 6, p.u + kDeckHalf + 6, p.deck, facades[out.size() % 7], 900u + static_cast<std::uint32_t>(out.size())});
    }
  }
  float u = 12;  // the ring's seam falls in a street, not on a wall
  while (u < kRingWidth) {
    float width = rng.range(60, 170);
    float gap = rng.range(4, 26);
    float centre = u + width / 2;
    float top = rng.range(-300, 120);
    if (rng.next() < 0.2f) top = rng.range(-385, -320);
    bool clash = false;
    for (const Building& b : out) {
      if (b.seed >= 900 && ring_dist(centre, (b.u0 + b.u1) / 2) < (b.u1 - b.u0) / 2 + width / 2 + 4) clash = true;
    }
    if (!clash && u + width < kRingWidth - 8) {
      out.push_back({u, u + width, top, facades[rng.below(7)], static_cast<std::uint32_t>(out.size())});
    }
    u += width + gap;
  }
  return out;
}

float city_natural(const World& w, float u, float& rock) {
  rock = 0;
  float s = 232;
  for (const Building& b : w.buildings) {
    bool inside = (u >= b.u0 && u < b.u1) || (u + kRingWidth >= b.u0 && u + kRingWidth < b.u1);
    if (inside && b.top < s) s = b.top;
  }
  return s;
}

World make_world(int index) {
  World w{index, places_of(index), {}, {}, {}};
  if (index == 2) w.buildings = city_buildings(w.places);
  w.height.resize(kRingWidth * kSub);
  w.rock.resize(kRingWidth);
  for (int k = 0; k < kRingWidth * kSub; ++k) {
    float u = (k + 0.5f) / kSub;
    float rock = 0;
    float s = index == 0 ? desert_natural(w, u, rock) : index == 1 ? winter_natural(w, u, rock) : city_natural(w, u, rock);
    // Landing places: a flat deck under the pad and open sky over and beside it.
    for (const Place& p : w.places) {
      float d = ring_dist(u, p.u);
      if (d <= kDeckHalf) {
        s = p.deck;
      } else if (d <= kClearHalf) {
        s = std::max(s, p.deck);
      }
    }
    s = std::max(s, kHighestGround);
    w.height[k] = s;
    if (k % kSub == 0) w.rock[k / kSub] = rock;
  }
  return w;
}

float surface_at(const World& w, int column) {
  float s = 0;
  for (int i = 0; i < kSub; ++i) s += w.height[column * kSub + i];
  return s / kSub;
}

float slope_at(const World& w, int column) {
  int l = (column + kRingWidth - 2) % kRingWidth, r = (column + 2) % kRingWidth;
  return (surface_at(w, r) - surface_at(w, l)) / 4;
}

// ---------------------------------------------------------------- game layer colours

Rgba deck_colour(float u, float depth, int world) {
  if (depth < 2) return rgb(236, 238, 242);
  if (depth < 4) return rgb(160, 166, 178);
  if (depth < 10) {
    int stripe = static_cast<int>(std::floor((u + depth) / 7));
    return stripe % 2 == 0 ? rgb(250, 200, 30) : rgb(40, 38, 44);
  }
  if (depth < 13) return rgb(90, 94, 104);
  (void)world;
  return rgb(0, 0, 0, 0);
}

Rgba desert_colour(const World& w, int col, float y, float depth, float slope) {
  float u = col + 0.5f;
  float light = std::clamp(1.0f - slope * 0.35f, 0.7f, 1.25f);
  if (w.rock[col] > 0.5f) {
    const Rgba bands[] = {rgb(198, 110, 70), rgb(176, 88, 56), rgb(214, 146, 96), rgb(160, 76, 50), rgb(206, 126, 80)};
    float warp = 14 * ring_noise2(31, u, y, 64);
    int band = static_cast<int>(std::floor((y + warp) / 19 + 100)) % 5;
    Rgba c = bands[band];
    float grain = 0.9f + 0.2f * ring_noise2(32, u, y, 8, 2);
    float streak = 0.92f + 0.12f * ring_noise2(33, u, y * 0.1f, 8, 2);
    c = scaled(c, grain * streak * light);
    if (depth < 3) c = mix(c, rgb(240, 196, 140), 0.6f);
    return mix(c, rgb(120, 60, 40), clamp01((depth - 120) / 400) * 0.6f);
  }
  Rgba sand = mix(rgb(238, 194, 128), rgb(214, 160, 98), ring_noise2(34, u, y, 32));
  float ripple = 0.96f + 0.06f * std::sin((u + y * 3) * 0.35f + 6 * ring_noise2(35, u, y, 64));
  sand = scaled(sand, ripple * light);
  if (depth < 2) sand = mix(sand, rgb(255, 232, 180), 0.5f);
  return mix(sand, rgb(176, 112, 66), clamp01((depth - 30) / 250));
}

Rgba winter_colour(const World& w, int col, float y, float depth, float slope) {
  float u = col + 0.5f;
  float snow_depth = 6 + 30 * clamp01(1 - std::fabs(slope) / 1.6f) + 10 * ring_noise(41, u, 32);
  float light = std::clamp(1.0f - slope * 0.3f, 0.72f, 1.2f);
  if (depth < snow_depth) {
    Rgba snow = mix(rgb(246, 250, 255), rgb(196, 214, 240), clamp01(0.5f - slope * 0.6f) * 0.8f);
    return scaled(snow, std::min(1.05f, 0.96f + 0.06f * ring_noise2(42, u, y, 16)));
  }
  Rgba rock = mix(rgb(122, 130, 150), rgb(88, 94, 114), ring_noise2(43, u, y, 48, 4));
  float strata = 0.94f + 0.08f * std::sin((y + 30 * ring_noise2(44, u, y, 128, 2)) * 0.12f);
  rock = scaled(rock, strata * light * (0.95f + 0.08f * ring_noise2(46, u, y, 8, 2)));
  if (w.rock[col] < 0.3f) rock = mix(rock, rgb(150, 160, 180), 0.3f);  // frozen earth in the valleys
  return mix(rock, rgb(60, 64, 80), clamp01((depth - 100) / 400));
}

Rgba city_colour(const World& w, int col, float y, float depth) {
  float u = col + 0.5f;
  for (const Building& b : w.buildings) {
    float bu = u;
    if (!(bu >= b.u0 && bu < b.u1)) bu += kRingWidth;
    if (!(bu >= b.u0 && bu < b.u1) || y < b.top) continue;
    if (y - b.top < 3) return rgb(70, 72, 84);
    if (y - b.top < 6) return scaled(b.facade, 1.2f);
    float lx = bu - b.u0, ly = y - b.top - 10;
    float edge = std::min(lx, b.u1 - bu);
    Rgba c = scaled(b.facade, 0.9f + 0.1f * ring_noise2(b.seed + 50, u, y, 8, 2));
    if (edge < 3) return scaled(c, 0.75f);
    if (ly > 0 && lx > 6 && b.u1 - bu > 6) {
      int wx = static_cast<int>((lx - 6) / 12), wy = static_cast<int>(ly / 16);
      float fx = std::fmod(lx - 6, 12.0f), fy = std::fmod(ly, 16.0f);
      if (fx < 7 && fy < 9) {
        bool lit = hash01(b.seed, wx, wy) < 0.4f;
        return lit ? mix(rgb(255, 226, 150), rgb(255, 190, 110), fy / 9) : rgb(46, 58, 82);
      }
    }
    return c;
  }
  // Street: pavement edge, asphalt, then foundations.
  if (depth < 3) return rgb(120, 118, 130);
  if (depth < 12) return rgb(52, 50, 60);
  return mix(rgb(58, 52, 62), rgb(30, 28, 36), clamp01(depth / 200));
}

void paint_decor_game(Canvas& c, const World& w);

Canvas paint_game_ring(const World& w) {
  Canvas c(kRingWidth, kGameTileHeight);
  c.set_wrap_x(true);
  for (int col = 0; col < kRingWidth; ++col) {
    float top = kGameTileHeight;
    for (int i = 0; i < kSub; ++i) top = std::min(top, w.height[col * kSub + i] + kGameCentre);
    float s = surface_at(w, col);
    float slope = slope_at(w, col);
    float u = col + 0.5f;
    float pad = near_place(w.places, u);
    for (int row = std::max(0, static_cast<int>(std::floor(top))); row < kGameTileHeight; ++row) {
      float y = row - kGameCentre;
      float cover = 0;
      for (int i = 0; i < kSub; ++i) cover += clamp01(y + 1 - w.height[col * kSub + i]);
      cover /= kSub;
      if (cover <= 0) continue;
      float depth = y - s;
      Rgba colour;
      Rgba deck = pad <= kDeckHalf ? deck_colour(u, depth, w.index) : Rgba{};
      if (deck.a > 0) {
        colour = deck;
      } else if (w.index == 0) {
        colour = desert_colour(w, col, y, depth, slope);
      } else if (w.index == 1) {
        colour = winter_colour(w, col, y, depth, slope);
      } else {
        colour = city_colour(w, col, y, depth);
      }
      colour.a = 1;
      c.blend(col, row, colour, cover);
    }
  }
  paint_decor_game(c, w);
  return c;
}

// Things standing on the ground (cacti, pines, roof masts): solid, and kept away from the pads.
void paint_decor_game(Canvas& c, const World& w) {
  Rng rng(500 + w.index);
  const Rgba ink = rgb(30, 26, 30);
  for (int i = 0; i < 60; ++i) {
    float u = rng.range(0, kRingWidth);
    float size = rng.range(0.7f, 1.3f);
    if (near_place(w.places, u) < kDecorClear) continue;
    int col = static_cast<int>(u);
    float base = surface_at(w, col) + kGameCentre + 3;
    if (std::fabs(slope_at(w, col)) > 0.6f) continue;
    if (w.index == 0) {
      if (w.rock[col] > 0.5f || i % 2) continue;
      float h = 34 * size;
      if (base - h - kGameCentre < kHighestGround) continue;
      Rgba green = rgb(70, 140, 70);
      Shape cactus = joined({stroke(u, base, u, base - h, 8 * size), stroke(u - 9 * size, base - h * 0.45f, u - 9 * size, base - h * 0.75f, 6 * size),
                             stroke(u - 9 * size, base - h * 0.45f, u, base - h * 0.45f, 6 * size),
                             stroke(u + 9 * size, base - h * 0.6f, u + 9 * size, base - h * 0.9f, 6 * size),
                             stroke(u + 9 * size, base - h * 0.6f, u, base - h * 0.6f, 6 * size)});
      fill(c, moved(cactus, 0, 0), ink);
      Shape inner = joined({stroke(u, base, u, base - h, 6 * size), stroke(u - 9 * size, base - h * 0.45f, u - 9 * size, base - h * 0.75f, 4 * size),
                            stroke(u - 9 * size, base - h * 0.45f, u, base - h * 0.45f, 4 * size),
                            stroke(u + 9 * size, base - h * 0.6f, u + 9 * size, base - h * 0.9f, 4 * size),
                            stroke(u + 9 * size, base - h * 0.6f, u, base - h * 0.6f, 4 * size)});
      fill(c, inner, linear_gradient({u - 6, 0}, {u + 6, 0}, {rgb(110, 180, 90), green, rgb(40, 90, 50)}));
    } else if (w.index == 1) {
      float h = 56 * size, half = 18 * size;
      if (base - h - kGameCentre < kHighestGround) continue;
      fill(c, rect(u - 2.5f * size, base - 10 * size, 5 * size, 12 * size), rgb(80, 56, 40));
      for (int tier = 0; tier < 3; ++tier) {
        float ty = base - 8 * size - tier * 15 * size;
        float tw = half * (1 - tier * 0.25f);
        fill(c, polygon({{u - tw, ty}, {u + tw, ty}, {u, ty - 24 * size}}), rgb(34, 84, 66));
        fill(c, polygon({{u - tw * 0.8f, ty - 4 * size}, {u, ty - 24 * size}, {u + tw * 0.3f, ty - 12 * size}, {u - tw * 0.2f, ty - 6 * size}}),
             rgb(236, 244, 255));
      }
    } else {
      // Masts and water tanks on the roofs.
      if (surface_at(w, col) > 150 || i % 3) continue;
      float h = rng.range(18, 44);
      if (base - h - kGameCentre < kHighestGround) continue;
      if (i % 2) {
        fill(c, rect(u - 1.5f, base - h, 3, h), rgb(60, 62, 70));
        fill(c, circle(u, base - h, 3), rgb(255, 60, 50));
      } else {
        fill(c, rect(u - 11, base - 26, 22, 18), rgb(120, 90, 70));
        fill(c, polygon({{u - 13, base - 26}, {u + 13, base - 26}, {u, base - 36}}), rgb(90, 70, 60));
        fill(c, rect(u - 9, base - 8, 2, 8), rgb(60, 60, 66));
        fill(c, rect(u + 7, base - 8, 2, 8), rgb(60, 60, 66));
      }
    }
  }
}

// ---------------------------------------------------------------- back layer

constexpr int kHorizon = 900;  // back tile row where the far land meets the sky

Canvas paint_back_ring(int world) {
  Canvas c(kRingWidth, kBackTileHeight);
  c.set_wrap_x(true);
  std::vector<Rgba> sky;
  if (world == 0) sky = {rgb(36, 84, 168), rgb(90, 150, 214), rgb(170, 200, 226), rgb(252, 214, 160)};
  if (world == 1) sky = {rgb(70, 110, 170), rgb(130, 170, 214), rgb(200, 218, 238), rgb(236, 240, 248)};
  if (world == 2) sky = {rgb(16, 16, 52), rgb(60, 40, 100), rgb(170, 80, 120), rgb(250, 160, 100)};
  for (int row = 0; row < kBackTileHeight; ++row) {
    Rgba col = gradient_at(sky, std::pow(clamp01(row / float(kHorizon)), 1.6f));
    for (int x = 0; x < kRingWidth; ++x) c.at(x, row) = col;
  }
  if (world == 2) {
    Rng rng(900);
    for (int i = 0; i < 700; ++i) {
      float x = rng.range(0, kRingWidth), y = rng.range(0, 600);
      float b = rng.range(0.3f, 1.0f) * (1 - y / 700);
      fill(c, circle(x, y, rng.range(0.6f, 1.5f)), rgb(255, 250, 230, b));
    }
    fill(c, circle(2100, 300, 46), radial_gradient({2100, 300}, 46, {rgb(255, 250, 230), rgb(240, 230, 210)}));
  } else {
    float sx = world == 0 ? 700 : 2300, sy = world == 0 ? 430 : 560;
    fill(c, circle(sx, sy, 260), radial_gradient({sx, sy}, 260, {rgb(255, 250, 220, 0.55f), rgb(255, 230, 180, 0.0f)}));
    fill(c, circle(sx, sy, 48), rgb(255, 252, 235));
  }
  // Far, middle and near ridges, each a silhouette painted column by column.
  struct Ridge {
    float base, amp, scale;
    Rgba colour;
    std::uint32_t seed;
  };
  std::vector<Ridge> ridges;
  if (world == 0) ridges = {{kHorizon - 40.f, 170, 256, rgb(196, 140, 150), 1}, {kHorizon + 20.f, 80, 128, rgb(214, 150, 110), 2},
                            {kHorizon + 80.f, 40, 64, rgb(226, 166, 112), 3}};
  if (world == 1) ridges = {{kHorizon - 60.f, 260, 128, rgb(170, 190, 220), 4}, {kHorizon + 10.f, 150, 64, rgb(130, 150, 186), 5},
                            {kHorizon + 80.f, 60, 32, rgb(60, 96, 100), 6}};
  if (world == 2) ridges = {{kHorizon - 20.f, 260, 32, rgb(70, 50, 100), 7}, {kHorizon + 40.f, 200, 16, rgb(44, 34, 70), 8},
                            {kHorizon + 90.f, 90, 16, rgb(28, 24, 44), 9}};
  for (std::size_t ri = 0; ri < ridges.size(); ++ri) {
    const Ridge& r = ridges[ri];
    std::vector<float> heights(kRingWidth);
    for (int x = 0; x < kRingWidth; ++x) {
      float u = x + 0.5f;
      float h;
      if (world == 0) {
        float n = ring_noise(r.seed, u, r.scale, 4);
        float plateau = std::min(1.0f, std::max(0.0f, (n - 0.42f) * 6));  // flat mesa tops with steep sides
        h = r.amp * (ri == 0 ? plateau : n);
      } else if (world == 1) {
        float n = 1 - std::fabs(2 * ring_noise(r.seed, u, r.scale * 4, 5) - 1);
        h = r.amp * n * n;
      } else {
        float block = std::floor(u / r.scale);
        float bw = hash01(r.seed, static_cast<int>(block / 3), 0);
        h = r.amp * (0.2f + 0.8f * hash01(r.seed, static_cast<int>(std::floor(u / (r.scale * (2 + 3 * bw)))), 1));
      }
      heights[x] = h;
    }
    for (int x = 0; x < kRingWidth; ++x) {
      float u = x + 0.5f;
      float top = r.base - heights[x];
      float slope = (heights[(x + kRingWidth - 1) % kRingWidth] - heights[(x + 1) % kRingWidth]) / 2;
      for (int row = std::max(0, static_cast<int>(top)); row < kBackTileHeight; ++row) {
        float cover = clamp01(row + 1 - top);
        float depth = row - top;
        Rgba col = r.colour;
        if (world == 1 && ri < 2) {
          float snowline = r.base - r.amp * 0.4f + 50 * (ring_noise2(r.seed + 9, u, row, 32) - 0.5f);
          if (row < snowline) col = mix(rgb(245, 248, 255), r.colour, 0.15f);
          col = scaled(col, std::clamp(1.0f - 0.6f * slope * std::exp(-depth / 30), 0.75f, 1.15f));
        }
        if (world == 2) {
          int wx = x / 5, wy = row / 7;
          if (x % 5 < 2 && row % 7 < 3 && depth > 4 && hash01(r.seed + 20, wx, wy) < 0.16f + 0.1f * ri)
            col = mix(rgb(255, 210, 120), r.colour, 0.3f + 0.25f * (2 - ri));
        }
        col = mix(col, sky.back(), ri == 0 ? 0.15f : 0.0f);
        c.blend(x, row, col, cover);
      }
    }
  }
  // Low land below the ridges, darkening toward the bottom.
  Rgba ground = world == 0 ? rgb(222, 160, 104) : world == 1 ? rgb(214, 226, 240) : rgb(30, 26, 42);
  for (int row = kHorizon + 110; row < kBackTileHeight; ++row) {
    float t = clamp01((row - kHorizon - 110) / 500.0f);
    for (int x = 0; x < kRingWidth; ++x) {
      Rgba g = scaled(ground, 1 - 0.35f * t + 0.05f * ring_noise2(60 + world, x + 0.5f, row, 16, 2));
      c.blend(x, row, g, clamp01((row - kHorizon - 110) / 30.0f));
    }
  }
  return c;
}

// ---------------------------------------------------------------- front layer

// The highest the front layer may reach, relative to its centre line: with the truck as low as the
// ground lets it fly, every pad on screen must still be above the foreground.
float front_top(const World& w) {
  float lowest = -1e9f, lowest_pad = -1e9f;
  for (int col = 0; col < kRingWidth; ++col) lowest = std::max(lowest, surface_at(w, col));
  for (const Place& p : w.places) lowest_pad = std::max(lowest_pad, p.deck + kDeckAboveAnchor);
  float deepest_truck_y = 640 + lowest - 30;
  return lowest_pad - 491 + 0.3f * deepest_truck_y + 24;
}

Canvas paint_front_ring(const World& w) {
  Canvas c(kRingWidth, kFrontTileHeight);
  c.set_wrap_x(true);
  const float top = front_top(w) + kFrontCentre;
  const float band = top + 120;
  Rgba dark = w.index == 0 ? rgb(104, 58, 40) : w.index == 1 ? rgb(34, 66, 72) : rgb(26, 24, 36);
  Rgba rim = w.index == 0 ? rgb(200, 120, 60) : w.index == 1 ? rgb(236, 244, 255) : rgb(90, 80, 120);
  for (int x = 0; x < kRingWidth; ++x) {
    float u = x + 0.5f;
    float edge = band + 50 * ring_noise(70 + w.index, u, 128, 4) - 20;
    if (w.index == 2) edge = band + 40 * std::floor(ring_noise(73, u, 64, 1) * 3) / 3;
    for (int row = std::max(0, static_cast<int>(edge)); row < kFrontTileHeight; ++row) {
      float depth = row - edge;
      Rgba col = depth < (w.index == 1 ? 8 : 3) ? rim : scaled(dark, 1 - 0.4f * clamp01(depth / 300));
      col = scaled(col, 0.92f + 0.1f * ring_noise2(74, u, row, 8, 2));
      c.blend(x, row, col, clamp01(row + 1 - edge));
    }
  }
  Rng rng(800 + w.index);
  for (int i = 0; i < 40; ++i) {
    float u = rng.range(0, kRingWidth);
    float h = rng.range(60, 110);
    float base = band + 40;
    h = std::min(h, base - top);
    if (w.index == 0) {
      if (i % 2) {
        fill(c, joined({stroke(u, base, u, base - h, 16), stroke(u - 18, base - h * 0.4f, u - 18, base - h * 0.75f, 11),
                        stroke(u - 18, base - h * 0.4f, u, base - h * 0.4f, 11)}),
             dark);
      } else {
        fill(c, ellipse(u, base - 10, rng.range(40, 80), h * 0.5f), scaled(dark, 0.9f));
      }
    } else if (w.index == 1) {
      for (int tier = 0; tier < 4; ++tier) {
        float ty = base - tier * h / 4.5f;
        float tw = 34 * (1 - tier * 0.2f);
        fill(c, polygon({{u - tw, ty}, {u + tw, ty}, {u, ty - h / 3}}), dark);
        fill(c, polygon({{u - tw * 0.6f, ty - 6}, {u, ty - h / 3}, {u + tw * 0.2f, ty - h / 5}}), scaled(rim, 0.8f));
      }
    } else {
      fill(c, rect(u - 3, base - h, 6, h), dark);
      fill(c, rect(u - 3, base - h, 20, 5), dark);
      fill(c, circle(u + 16, base - h + 6, 9), rgb(255, 220, 140, 0.35f));
      fill(c, circle(u + 16, base - h + 6, 4), rgb(255, 240, 190));
    }
  }
  return c;
}

std::vector<Canvas> cut(const Canvas& ring) {
  std::vector<Canvas> tiles;
  for (int t = 0; t < 3; ++t) tiles.push_back(ring.crop(t * kTileWidth, 0, kTileWidth, ring.height()));
  return tiles;
}

}  // namespace

std::vector<Canvas> world_tiles(int world, Layer layer) {
  if (layer == Layer::Back) return cut(paint_back_ring(world));
  World w = make_world(world);
  return cut(layer == Layer::Game ? paint_game_ring(w) : paint_front_ring(w));
}

std::string tile_path(int world, Layer layer, int tile) {
  const auto& row = game::tables::kWorldTable[world];
  switch (layer) {
    case Layer::Game: return row.game_tiles[tile];
    case Layer::Back: return row.back_tiles[tile];
    default: return row.front_tiles[tile];
  }
}

}  // namespace gen
