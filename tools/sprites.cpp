// The small pictures of the play: flame, pad bar, goods, repair icon, cloud and the flyers.
#include "tools/sprites.hpp"

#include <cmath>

namespace gen {

namespace {

constexpr float kPi = 3.14159265358979f;
const Rgba kInk = rgb(24, 20, 30, 0.95f);

// A teardrop lying along x: round base at base_x, point at tip_x.
Shape teardrop(float base_x, float tip_x, float cy, float radius) {
  Polygon p;
  const int n = 24;
  for (int i = 0; i <= n; ++i) {
    float t = float(i) / n;
    float x = base_x + (tip_x - base_x) * t;
    p.push_back({x, cy - radius * std::pow(1 - t, 0.75f)});
  }
  for (int i = n; i >= 0; --i) {
    float t = float(i) / n;
    float x = base_x + (tip_x - base_x) * t;
    p.push_back({x, cy + radius * std::pow(1 - t, 0.75f)});
  }
  for (int i = 1; i < 12; ++i) {
    float a = kPi / 2 - kPi * i / 12;
    p.push_back({base_x + radius * 0.8f * std::cos(a), cy + radius * std::sin(a)});
  }
  return {p};
}

}  // namespace

Canvas flame() {
  Canvas c(128, 48);
  fill(c, teardrop(106, 4, 24, 17), rgb(255, 70, 20, 0.55f));
  fill(c, teardrop(108, 18, 24, 12), rgb(255, 140, 30, 0.85f));
  fill(c, teardrop(110, 44, 24, 7.5f), rgb(255, 220, 90));
  fill(c, teardrop(112, 72, 24, 3.5f), rgb(255, 255, 235));
  blur(c, 2);
  return c;
}

Canvas pad_bar() {
  Canvas c(kPadBarWidth, kPadBarHeight);
  fill(c, rect(0, 0, kPadBarWidth, kPadBarHeight),
       linear_gradient({0, 0}, {0, float(kPadBarHeight)}, {rgb(220, 224, 230), rgb(120, 126, 136)}));
  return c;
}

Canvas goods() {
  Canvas c(34, kGoodsHeight);
  fill(c, rect(0, 0, 34, 18), kInk);
  fill(c, rect(1, 1, 32, 16), linear_gradient({0, 1}, {0, 17}, {rgb(255, 178, 60), rgb(222, 110, 20)}));
  for (float x : {11.0f, 22.0f}) fill(c, rect(x, 1, 1, 16), rgb(150, 70, 15));
  fill(c, rect(1, 1, 32, 2), rgb(255, 214, 120));
  fill(c, rect(13, 6, 8, 6), rgb(255, 240, 90));
  fill(c, polygon({{17, 6.5f}, {20.5f, 9.5f}, {18, 9.5f}, {18, 11.5f}, {16, 11.5f}, {16, 9.5f}, {13.5f, 9.5f}}),
       rgb(40, 30, 20));
  return c;
}

Canvas wrench() {
  Canvas c(60, 28);
  Rgba steel = rgb(230, 234, 240);
  Shape body = joined({stroke(16, 14, 46, 14, 8), circle(11, 14, 10.5f), circle(50, 14, 8)});
  Shape ink = joined({stroke(16, 14, 46, 14, 10), circle(11, 14, 12), circle(50, 14, 9.5f)});
  fill(c, ink, kInk);
  fill(c, body, linear_gradient({0, 4}, {0, 24}, {steel, rgb(150, 158, 170)}));
  erase(c, rect(-4, 10, 12, 8));
  erase(c, circle(50, 14, 3.5f));
  fill(c, rect(20, 12, 22, 2), rgb(255, 255, 255, 0.7f));
  return c;
}

Canvas cloud() {
  Canvas c(256, 128);
  const float puffs[][3] = {{70, 78, 34}, {108, 58, 42}, {150, 62, 38}, {186, 80, 30}, {128, 86, 40},
                            {40, 92, 22}, {216, 94, 20}, {96, 92, 30},  {164, 94, 28}};
  Shape shape;
  for (const auto& p : puffs) {
    Shape s = circle(p[0], p[1], p[2]);
    shape.insert(shape.end(), s.begin(), s.end());
  }
  fill(c, shape, linear_gradient({0, 20}, {0, 118}, {rgb(255, 255, 255), rgb(236, 240, 248), rgb(176, 188, 210)}));
  erase(c, rect(0, 108, 256, 20));
  blur(c, 4);
  return c;
}

Canvas alien_bug() {
  Canvas c(240, 160);
  // Wings first, behind the body: veined and see-through.
  for (float side : {-1.0f, 1.0f}) {
    Shape wing = rotated(ellipse(120 + side * 8, 50, 70, 22), side * -24, 120, 70);
    fill(c, wing, rgb(180, 230, 255, 0.45f));
    for (int v = 0; v < 4; ++v) {
      float a = (-30 + v * 14) * kPi / 180;
      fill(c, stroke(120, 70, 120 + side * 100 * std::cos(a), 70 + 100 * std::sin(a) * 0.6f, 1.5f),
           rgb(90, 140, 170, 0.6f));
    }
  }
  for (int leg = 0; leg < 3; ++leg) {
    float x = 100 + leg * 22;
    fill(c, stroke(x, 96, x - 14, 128, 4), rgb(50, 40, 60));
    fill(c, stroke(x - 14, 128, x - 6, 150, 3), rgb(50, 40, 60));
  }
  Paint shell = linear_gradient({0, 70}, {0, 120}, {rgb(120, 200, 90), rgb(40, 90, 50)});
  fill(c, ellipse(88, 96, 48, 22), kInk);
  fill(c, ellipse(88, 96, 46, 20), shell);
  for (int s = 0; s < 4; ++s) fill(c, rect(58 + s * 16, 78, 2, 36), rgb(30, 70, 40, 0.7f));
  fill(c, ellipse(150, 92, 26, 20), kInk);
  fill(c, ellipse(150, 92, 24, 18), shell);
  fill(c, circle(182, 86, 18), kInk);
  fill(c, circle(182, 86, 16.5f), rgb(90, 160, 80));
  fill(c, circle(190, 80, 6), rgb(255, 60, 40));
  fill(c, circle(192, 78, 2), rgb(255, 230, 200));
  fill(c, stroke(188, 72, 210, 44, 3), rgb(50, 40, 60));
  fill(c, stroke(180, 70, 186, 40, 3), rgb(50, 40, 60));
  return c;
}

namespace {

Canvas biplane() {
  Canvas c(100, 52);
  Rgba yellow = rgb(250, 200, 40), red = rgb(210, 40, 40);
  fill(c, rect(28, 8, 40, 6), red);                  // upper wing
  fill(c, rect(36, 14, 2, 14), rgb(60, 50, 40));     // struts
  fill(c, rect(58, 14, 2, 14), rgb(60, 50, 40));
  fill(c, polygon({{6, 18}, {16, 18}, {24, 26}, {8, 30}}), red);  // tail fin
  fill(c, polygon({{8, 28}, {80, 22}, {88, 28}, {80, 36}, {14, 34}}),
       linear_gradient({0, 22}, {0, 36}, {yellow, rgb(200, 140, 20)}));
  fill(c, rect(26, 30, 44, 6), red);                 // lower wing
  fill(c, circle(52, 21, 5), rgb(110, 70, 40));      // pilot
  fill(c, rect(47, 17, 10, 3), rgb(60, 40, 30));
  fill(c, rect(86, 25, 5, 8), rgb(60, 60, 66));      // nose
  fill(c, ellipse(92, 29, 3, 17), rgb(200, 200, 210, 0.55f));  // spinning propeller
  fill(c, circle(60, 41, 4), rgb(40, 40, 44));       // wheel
  fill(c, stroke(56, 35, 60, 41, 2), rgb(40, 40, 44));
  outline(c, kInk, 1);
  return c;
}

Canvas balloon() {
  Canvas c(72, 104);
  Shape envelope = {Polygon{}};
  for (int i = 0; i <= 40; ++i) {
    float a = kPi * 2 * i / 40;
    float r = 30;
    float x = 36 + r * std::sin(a);
    float y = 34 - r * std::cos(a);
    if (std::cos(a) < 0) {  // the lower half narrows toward the mouth
      float t = -std::cos(a);
      x = 36 + r * std::sin(a) * (1 - 0.55f * t);
      y = 34 + 40 * t;
    }
    envelope[0].push_back({x, y});
  }
  fill(c, envelope, [](float x, float y) {
    float gore = std::floor((x - 36) / (6 + 0.02f * (y - 34) * (y - 34) / 8) + 100);
    Rgba base = static_cast<int>(gore) % 2 == 0 ? rgb(230, 50, 60) : rgb(250, 220, 80);
    float light = 1.15f - 0.5f * clamp01((x - 16) / 50);
    return scaled(base, light);
  });
  for (float x : {28.0f, 44.0f}) fill(c, stroke(x, 74, x + (x < 36 ? 2.0f : -2.0f), 88, 1.2f), rgb(80, 60, 40));
  fill(c, rect(28, 88, 16, 12), rgb(150, 100, 50));
  fill(c, rect(28, 88, 16, 3), rgb(110, 70, 30));
  outline(c, kInk, 1);
  return c;
}

Canvas saucer() {
  Canvas c(92, 48);
  fill(c, ellipse(46, 20, 16, 13), linear_gradient({0, 8}, {0, 24}, {rgb(200, 250, 255, 0.95f), rgb(90, 170, 210, 0.95f)}));
  fill(c, ellipse(46, 29, 42, 10), linear_gradient({0, 19}, {0, 39}, {rgb(230, 234, 240), rgb(110, 116, 130)}));
  fill(c, ellipse(46, 26, 42, 3), rgb(255, 255, 255, 0.5f));
  for (int i = 0; i < 5; ++i) {
    fill(c, circle(18 + i * 14.0f, 31, 2.6f), i % 2 ? rgb(255, 80, 80) : rgb(120, 255, 140));
  }
  fill(c, ellipse(46, 39, 14, 4), rgb(120, 255, 230, 0.8f));
  outline(c, kInk, 1);
  return c;
}

}  // namespace

Canvas flyer(int which) {
  switch (which) {
    case 1: return biplane();
    case 2: return balloon();
    default: return saucer();
  }
}

}  // namespace gen
