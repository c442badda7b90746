// The full-screen pictures (title, loading, level and world complete, game over, end) and the
// overlays of the play: HUD bar, speech bubble, fog and sand storm.
#include "tools/screens.hpp"

#include <cmath>
#include <string>

#include "tools/pixel_font.hpp"
#include "tools/truck.hpp"

namespace gen {

namespace {

constexpr int kScreenW = 1024, kScreenH = 768;
const Rgba kInk = rgb(20, 16, 28);

// Big lettering: soft shadow, dark rim, then a vertical gradient fill.
void headline(Canvas& c, const std::string& text, float cx, float y, float dot, Rgba top, Rgba bottom) {
  Canvas shadow(c.width(), c.height());
  fill(shadow, centred_text(text, cx + dot * 0.6f, y + dot * 0.8f, dot, DotStyle::Round, dot * 0.35f), rgb(0, 0, 0, 0.6f));
  blur(shadow, static_cast<int>(dot));
  c.draw(shadow, 0, 0);
  fill(c, centred_text(text, cx, y, dot, DotStyle::Round, dot * 0.3f), kInk);
  fill(c, centred_text(text, cx, y, dot, DotStyle::Square, 0.5f), linear_gradient({0, y}, {0, y + 7 * dot}, {top, bottom}));
  // A bright bevel along the top of every dot row gives the letters some body.
  fill(c, centred_text(text, cx, y, dot, DotStyle::Square, -dot * 0.3f), rgb(255, 255, 255, 0.18f));
}

void label(Canvas& c, const std::string& text, float x, float y, float dot, Rgba colour) {
  fill(c, text_shape(text, x + 1, y + 1, dot), rgb(0, 0, 0, 0.5f));
  fill(c, text_shape(text, x, y, dot), colour);
}

void centred_label(Canvas& c, const std::string& text, float cx, float y, float dot, Rgba colour) {
  label(c, text, cx - text_width(text, dot) / 2, y, dot, colour);
}

void sky(Canvas& c, std::vector<Rgba> stops) {
  fill(c, rect(0, 0, float(c.width()), float(c.height())), linear_gradient({0, 0}, {0, float(c.height())}, std::move(stops)));
}

// A row of silhouettes across the picture: mesas, peaks and towers side by side, one per world.
void skyline(Canvas& c, float base, float height, Rgba colour, std::uint32_t seed) {
  Polygon p{{0, float(c.height())}};
  for (int x = 0; x <= c.width(); x += 4) {
    float t = float(x) / c.width();
    float h;
    if (t < 0.33f) {
      float n = fbm(seed, x / 90.0f, 0, 3);
      h = height * std::clamp((n - 0.4f) * 5, 0.2f, 1.0f);
    } else if (t < 0.66f) {
      float n = 1 - std::fabs(2 * fbm(seed + 1, x / 120.0f, 0, 4) - 1);
      h = height * 1.2f * n * n;
    } else {
      h = height * (0.3f + 0.9f * hash01(seed + 2, x / 28, 0));
    }
    p.push_back({float(x), base - h});
  }
  p.push_back({float(c.width()), float(c.height())});
  fill(c, {p}, colour);
}

void key_cap(Canvas& c, float x, float y, float w, const std::string& key) {
  fill(c, rounded_rect(x, y + 4, w, 40, 8), rgb(60, 60, 70));
  fill(c, rounded_rect(x, y, w, 40, 8), linear_gradient({0, y}, {0, y + 40}, {rgb(250, 250, 255), rgb(200, 204, 214)}));
  fill(c, text_shape(key, x + (w - text_width(key, 3)) / 2, y + 10, 3), rgb(30, 30, 40));
}

void stars(Canvas& c, int count, float max_y, std::uint32_t seed) {
  Rng rng(seed);
  for (int i = 0; i < count; ++i) {
    float x = rng.range(0, float(c.width())), y = rng.range(0, max_y);
    fill(c, circle(x, y, rng.range(0.6f, 1.6f)), rgb(255, 250, 230, rng.range(0.3f, 1.0f)));
  }
}

Canvas dimmed_banner(const std::string& text, const std::string& sub, Rgba top, Rgba bottom, bool leave_prompt_room) {
  Canvas c(kScreenW, kScreenH, rgb(10, 8, 24, 0.45f));
  fill(c, rounded_rect(112, 230, 800, 240, 28), rgb(16, 20, 44, 0.88f));
  fill(c, rounded_rect(112, 230, 800, 8, 4), top);
  fill(c, rounded_rect(112, 462, 800, 8, 4), bottom);
  headline(c, text, 512, 270, 11, top, bottom);
  centred_label(c, sub, 512, 380, 4, rgb(230, 236, 255));
  for (int i = 0; i < 5; ++i) {
    float x = 352 + i * 80.0f;
    Polygon p;
    for (int k = 0; k < 10; ++k) {
      float a = -3.14159265f / 2 + k * 3.14159265f / 5;
      float r = k % 2 ? 9.0f : 22.0f;
      p.push_back({x + r * std::cos(a), 432 + r * std::sin(a)});
    }
    fill(c, {p}, rgb(255, 214, 60));
  }
  if (leave_prompt_room) {
    fill(c, rounded_rect(432, 590, 208, 36, 10), rgb(16, 20, 44, 0.9f));
  } else {
    centred_label(c, "PRESS ENTER TO CONTINUE", 512, 600, 3, rgb(255, 255, 255));
  }
  return c;
}

}  // namespace

Canvas title_screen() {
  Canvas c(kScreenW, kScreenH);
  sky(c, {rgb(28, 44, 110), rgb(80, 120, 200), rgb(250, 190, 130), rgb(240, 140, 90)});
  stars(c, 120, 200, 7);
  fill(c, circle(900, 215, 56), radial_gradient({900, 215}, 56, {rgb(255, 250, 220), rgb(255, 220, 150)}));
  skyline(c, 560, 170, rgb(150, 90, 120), 3);
  skyline(c, 650, 110, rgb(90, 60, 90), 5);
  skyline(c, 740, 60, rgb(46, 32, 56), 9);
  headline(c, "SKY FREIGHT", 512, 40, 13, rgb(255, 236, 110), rgb(255, 120, 40));
  centred_label(c, "HOVER TRUCK DELIVERY SERVICE", 512, 150, 3, rgb(255, 250, 235));
  // The truck, big, flying toward the left edge with its jets on.
  Canvas truck = truck_picture(9, 2.6f);
  c.draw(truck, 90, 170);
  // Score table panel: the game writes the fifteen rows at x 575..900, y 350..620.
  fill(c, rounded_rect(556, 300, 372, 336, 16), rgb(12, 14, 36, 0.78f));
  fill(c, rounded_rect(556, 300, 372, 4, 2), rgb(255, 200, 80));
  label(c, "BEST TRUCKERS", 574, 316, 3, rgb(255, 214, 90));
  // Keys.
  fill(c, rounded_rect(70, 420, 420, 220, 16), rgb(12, 14, 36, 0.72f));
  key_cap(c, 94, 444, 110, "ENTER");
  label(c, "START", 226, 456, 3, rgb(255, 255, 255));
  key_cap(c, 94, 512, 110, "S");
  label(c, "MUSIC OFF", 226, 524, 3, rgb(255, 255, 255));
  key_cap(c, 94, 580, 110, "ESC");
  label(c, "QUIT", 226, 592, 3, rgb(255, 255, 255));
  centred_label(c, "ARROWS FLY   SPACE LANDING GEAR", 512, 700, 3, rgb(255, 240, 210));
  return c;
}

Canvas loading_screen() {
  Canvas c(kScreenW, kScreenH);
  sky(c, {rgb(14, 16, 40), rgb(40, 50, 100), rgb(90, 70, 120)});
  stars(c, 200, 500, 11);
  skyline(c, 700, 120, rgb(24, 20, 40), 13);
  c.draw(truck_picture(0, 2.0f), 512 - 128, 250);
  headline(c, "LOADING", 512, 480, 9, rgb(160, 230, 255), rgb(70, 140, 255));
  for (int i = 0; i < 3; ++i) fill(c, circle(470 + i * 42.0f, 580, 9), rgb(255, 220, 120, 0.5f + 0.25f * i));
  return c;
}

Canvas level_complete() {
  return dimmed_banner("LEVEL COMPLETE", "ALL FIVE LOADS DELIVERED", rgb(160, 255, 140), rgb(40, 190, 90), false);
}

Canvas world_complete() {
  return dimmed_banner("WORLD COMPLETE", "NEW SKIES AHEAD", rgb(140, 220, 255), rgb(60, 120, 255), true);
}

Canvas game_over() {
  Canvas c(kScreenW, kScreenH);
  sky(c, {rgb(40, 8, 24), rgb(90, 20, 40), rgb(30, 10, 30)});
  skyline(c, 640, 140, rgb(20, 8, 20), 17);
  headline(c, "GAME OVER", 512, 120, 16, rgb(255, 150, 110), rgb(220, 40, 40));
  centred_label(c, "TYPE YOUR NAME, THEN PRESS ENTER", 512, 330, 4, rgb(255, 230, 220));
  c.draw(truck_picture(4, 2.0f), 512 - 128, 400);
  // Frames for the score (drawn at 240, 713) and the name (780, 713), both 32 pixels tall.
  fill(c, rounded_rect(210, 662, 330, 94, 14), rgb(10, 6, 16, 0.85f));
  label(c, "SCORE", 226, 676, 3, rgb(255, 210, 120));
  fill(c, rounded_rect(232, 706, 296, 44, 8), rgb(0, 0, 0, 0.7f));
  fill(c, rounded_rect(750, 662, 262, 94, 14), rgb(10, 6, 16, 0.85f));
  label(c, "NAME", 766, 676, 3, rgb(255, 210, 120));
  fill(c, rounded_rect(772, 706, 232, 44, 8), rgb(0, 0, 0, 0.7f));
  return c;
}

Canvas end_screen() {
  Canvas c(kScreenW, kScreenH);
  sky(c, {rgb(10, 12, 40), rgb(50, 40, 110), rgb(220, 110, 120), rgb(255, 190, 110)});
  stars(c, 160, 400, 23);
  Rng rng(29);
  for (int burst = 0; burst < 5; ++burst) {
    float cx = rng.range(120, 900), cy = rng.range(80, 300);
    Rgba col = mix(rgb(255, 120, 120), rgb(120, 220, 255), rng.next());
    for (int k = 0; k < 28; ++k) {
      float a = k * 6.2831853f / 28, r = rng.range(50, 90);
      fill(c, stroke(cx + 12 * std::cos(a), cy + 12 * std::sin(a), cx + r * std::cos(a), cy + r * std::sin(a), 3), col);
      fill(c, circle(cx + r * std::cos(a), cy + r * std::sin(a), 3.5f), rgb(255, 255, 220));
    }
  }
  skyline(c, 690, 150, rgb(30, 20, 50), 31);
  headline(c, "CONGRATULATIONS", 512, 330, 9, rgb(255, 240, 140), rgb(255, 150, 60));
  centred_label(c, "EVERY LOAD DELIVERED IN ALL THREE WORLDS", 512, 420, 3, rgb(255, 255, 255));
  c.draw(truck_picture(12, 1.6f), 512 - 102, 450);
  fill(c, rounded_rect(432, 590, 208, 36, 10), rgb(16, 20, 44, 0.9f));
  return c;
}

Canvas hud() {
  Canvas c(kScreenW, 48);
  fill(c, rect(0, 0, kScreenW, 46), linear_gradient({0, 0}, {0, 46}, {rgb(70, 78, 96), rgb(34, 38, 50)}));
  fill(c, rect(0, 44, kScreenW, 4), rgb(12, 12, 18, 0.7f));
  fill(c, rect(0, 0, kScreenW, 2), rgb(140, 150, 170));
  auto inset = [&](float x, float w, Rgba fillc) {
    fill(c, rounded_rect(x - 1, 5, w + 2, 38, 6), rgb(150, 160, 180));
    fill(c, rounded_rect(x, 6, w, 36, 5), fillc);
  };
  label(c, "LEVEL", 12, 17, 2, rgb(220, 226, 240));
  inset(74, 44, rgb(210, 224, 255));         // the level number is drawn in blue at x 80
  label(c, "HULL", 196, 17, 2, rgb(220, 226, 240));
  inset(250, 210, rgb(16, 18, 26));          // health bar from x 254, up to 202 wide
  label(c, "JOB", 572, 17, 2, rgb(220, 226, 240));
  inset(614, 112, rgb(16, 18, 26));          // FROM or TO at x 620 and the station at x 700
  label(c, "SCORE", 824, 17, 2, rgb(220, 226, 240));
  inset(890, 132, rgb(16, 18, 26));          // the score from x 895
  return c;
}

Canvas bubble() {
  // Drawn centred on (440, 740): the picture spans x 20..860, y 712..768; text at (80, 732).
  Canvas c(840, 56);
  Shape body = joined({rounded_rect(40, 4, 740, 48, 18), polygon({{740, 10}, {836, 2}, {770, 36}})});
  fill(c, body, rgb(210, 226, 255));
  fill(c, joined({rounded_rect(43, 7, 734, 42, 15), polygon({{742, 13}, {826, 5}, {768, 33}})}), rgb(18, 28, 64, 0.92f));
  return c;
}

Canvas fog() {
  Canvas c(kScreenW, kScreenH);
  for (int y = 0; y < kScreenH; ++y) {
    for (int x = 0; x < kScreenW; ++x) {
      float n = fbm(41, x / 160.0f, y / 110.0f, 5);
      float v = 0.72f + 0.28f * smoothstep(0.3f, 0.75f, n);
      c.at(x, y) = {v * 0.96f, v * 0.97f, v, 1};
    }
  }
  return c;
}

Canvas sand_storm() {
  Canvas c(kScreenW, kScreenH);
  for (int y = 0; y < kScreenH; ++y) {
    for (int x = 0; x < kScreenW; ++x) {
      float n = fbm(51, x / 240.0f, y / 40.0f, 5);
      float streak = fbm(52, x / 400.0f, y / 6.0f, 3);
      Rgba col = mix(rgb(200, 140, 80), rgb(245, 205, 140), n);
      col.a = 0.7f + 0.3f * smoothstep(0.35f, 0.7f, 0.6f * n + 0.4f * streak);
      c.at(x, y) = col;
    }
  }
  return c;
}

}  // namespace gen
