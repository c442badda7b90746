// The clients' portraits shown beside the speech bubble: four per world.
#include "tools/portraits.hpp"

#include <cmath>

namespace gen {

namespace {

constexpr int kSize = 128;
const Rgba kInk = rgb(26, 20, 26);

enum class Headwear { None, WideHat, Turban, Cap, Beanie, FurHat, Headphones, Bun };

struct Person {
  Rgba skin, hair, shirt, backdrop;
  Headwear hat;
  Rgba hat_colour;
  bool beard, glasses, scarf, earrings;
  float face_width;
};

Person person_of(int world, int n) {
  const Rgba skins[] = {rgb(240, 200, 160), rgb(200, 150, 110), rgb(150, 100, 70), rgb(250, 214, 184), rgb(110, 74, 52)};
  Person p{};
  int k = (world - 1) * 4 + (n - 1);
  p.skin = skins[(k * 3 + 1) % 5];
  p.face_width = 30 + (k % 3) * 2.5f;
  switch (world) {
    case 1:
      p.backdrop = rgb(250, 190, 110);
      p.shirt = n % 2 ? rgb(190, 90, 50) : rgb(230, 220, 190);
      p.hair = rgb(60, 40, 30);
      p.hat = n == 1 ? Headwear::WideHat : n == 2 ? Headwear::Turban : n == 3 ? Headwear::WideHat : Headwear::None;
      p.hat_colour = n == 2 ? rgb(240, 240, 230) : rgb(150, 100, 60);
      p.beard = n == 1 || n == 2;
      p.glasses = n == 3;
      p.earrings = n == 4;
      break;
    case 2:
      p.backdrop = rgb(170, 210, 240);
      p.shirt = n % 2 ? rgb(60, 110, 170) : rgb(170, 50, 60);
      p.hair = n == 3 ? rgb(220, 200, 150) : rgb(90, 60, 40);
      p.hat = n == 1 ? Headwear::FurHat : n == 2 ? Headwear::Beanie : n == 3 ? Headwear::None : Headwear::Beanie;
      p.hat_colour = n == 1 ? rgb(120, 90, 70) : n == 2 ? rgb(220, 60, 60) : rgb(60, 160, 120);
      p.beard = n == 1;
      p.scarf = true;
      p.glasses = n == 4;
      break;
    default:
      p.backdrop = rgb(150, 120, 200);
      p.shirt = n % 2 ? rgb(40, 44, 60) : rgb(230, 120, 40);
      p.hair = n == 2 ? rgb(230, 80, 160) : rgb(30, 26, 30);
      p.hat = n == 1 ? Headwear::Cap : n == 2 ? Headwear::Headphones : n == 3 ? Headwear::Bun : Headwear::None;
      p.hat_colour = n == 1 ? rgb(40, 120, 220) : rgb(60, 60, 70);
      p.glasses = n == 1 || n == 4;
      p.earrings = n == 3;
      p.beard = n == 4;
      break;
  }
  return p;
}

void paint_person(Canvas& c, const Person& p) {
  const float cx = 64, fy = 60, fw = p.face_width, fh = 36;
  // Shoulders and neck.
  fill(c, ellipse(cx, 136, 56, 40), kInk);
  fill(c, ellipse(cx, 136, 54, 38), linear_gradient({0, 100}, {0, 128}, {scaled(p.shirt, 1.1f), scaled(p.shirt, 0.8f)}));
  fill(c, rect(cx - 11, fy + 24, 22, 22), scaled(p.skin, 0.85f));
  if (p.scarf) {
    fill(c, rounded_rect(cx - 30, fy + 38, 60, 14, 7), p.hat_colour.a > 0 ? scaled(p.hat_colour, 1.1f) : rgb(200, 60, 60));
    fill(c, rounded_rect(cx + 6, fy + 44, 12, 26, 5), scaled(p.hat_colour, 0.9f));
  }
  // Hair behind the head.
  if (p.hat == Headwear::None || p.hat == Headwear::Headphones || p.hat == Headwear::Bun) {
    fill(c, ellipse(cx, fy - 4, fw + 5, fh + 4), p.hair);
  }
  if (p.hat == Headwear::Bun) fill(c, circle(cx, fy - fh - 4, 12), p.hair);
  // Face.
  fill(c, ellipse(cx, fy, fw + 1.5f, fh + 1.5f), kInk);
  fill(c, ellipse(cx, fy, fw, fh), radial_gradient({cx - 10, fy - 12}, 60, {scaled(p.skin, 1.08f), scaled(p.skin, 0.82f)}));
  fill(c, ellipse(cx - fw, fy + 2, 5, 8), scaled(p.skin, 0.9f));
  fill(c, ellipse(cx + fw, fy + 2, 5, 8), scaled(p.skin, 0.9f));
  if (p.earrings) {
    fill(c, circle(cx - fw, fy + 12, 3), rgb(255, 210, 60));
    fill(c, circle(cx + fw, fy + 12, 3), rgb(255, 210, 60));
  }
  if (p.hat == Headwear::None || p.hat == Headwear::Headphones || p.hat == Headwear::Bun) {
    fill(c, polygon({{cx - fw - 3, fy - 6}, {cx - fw + 4, fy - fh - 4}, {cx + fw - 2, fy - fh - 4}, {cx + fw + 3, fy - 4},
                     {cx + fw - 4, fy - 18}, {cx - 6, fy - 24}, {cx - fw + 6, fy - 16}}),
         p.hair);
  }
  // Eyes, brows, nose and a friendly mouth.
  for (float side : {-1.0f, 1.0f}) {
    float ex = cx + side * fw * 0.4f;
    fill(c, ellipse(ex, fy - 2, 6, 4.5f), rgb(255, 255, 255));
    fill(c, circle(ex + 1, fy - 1.5f, 3), rgb(50, 40, 40));
    fill(c, circle(ex + 2, fy - 3, 1), rgb(255, 255, 255));
    fill(c, stroke(ex - 6, fy - 11 - side * 0.5f, ex + 6, fy - 12 + side * 0.5f, 2.6f), scaled(p.hair, 0.8f));
    if (p.glasses) {
      fill(c, circle(ex, fy - 2, 9), rgb(30, 30, 40));
      fill(c, circle(ex, fy - 2, 7.2f), rgb(200, 230, 255, 0.35f));
      fill(c, circle(ex + 1, fy - 1.5f, 3), rgb(50, 40, 40));
    }
  }
  if (p.glasses) fill(c, stroke(cx - 3, fy - 3, cx + 3, fy - 3, 2), rgb(30, 30, 40));
  fill(c, polygon({{cx, fy + 0}, {cx + 5, fy + 10}, {cx - 1, fy + 11}}), scaled(p.skin, 0.78f));
  if (p.beard) {
    fill(c, polygon({{cx - fw + 2, fy + 4}, {cx + fw - 2, fy + 4}, {cx + fw * 0.6f, fy + 28}, {cx, fy + 38}, {cx - fw * 0.6f, fy + 28}}),
         scaled(p.hair, 1.1f));
    fill(c, ellipse(cx, fy + 20, 10, 5), rgb(120, 40, 40));
    fill(c, ellipse(cx, fy + 18, 10, 3), scaled(p.hair, 1.1f));
  } else {
    fill(c, polygon({{cx - 12, fy + 17}, {cx + 12, fy + 17}, {cx + 8, fy + 23}, {cx, fy + 25}, {cx - 8, fy + 23}}), rgb(130, 40, 50));
    fill(c, rect(cx - 9, fy + 17, 18, 3), rgb(255, 255, 255));
    fill(c, circle(cx - fw * 0.55f, fy + 12, 5), rgb(255, 120, 110, 0.3f));
    fill(c, circle(cx + fw * 0.55f, fy + 12, 5), rgb(255, 120, 110, 0.3f));
  }
  // Headwear on top.
  Rgba h = p.hat_colour;
  switch (p.hat) {
    case Headwear::WideHat:
      fill(c, ellipse(cx, fy - 24, 52, 9), kInk);
      fill(c, ellipse(cx, fy - 24, 50, 7.5f), scaled(h, 0.9f));
      fill(c, rounded_rect(cx - 26, fy - 54, 52, 32, 10), h);
      fill(c, rect(cx - 26, fy - 32, 52, 6), scaled(h, 0.6f));
      break;
    case Headwear::Turban:
      fill(c, ellipse(cx, fy - 28, fw + 8, 24), scaled(h, 0.85f));
      for (int k = 0; k < 3; ++k) fill(c, stroke(cx - fw, fy - 20 - k * 10.0f, cx + fw, fy - 36 - k * 4.0f, 5), h);
      fill(c, circle(cx, fy - 30, 5), rgb(60, 150, 200));
      break;
    case Headwear::Cap:
      fill(c, ellipse(cx, fy - 22, fw + 4, 20), h);
      fill(c, rounded_rect(cx, fy - 24, 48, 8, 4), scaled(h, 0.8f));
      fill(c, rect(cx - fw - 2, fy - 24, 2 * fw + 4, 4), scaled(h, 0.7f));
      break;
    case Headwear::Beanie:
      fill(c, ellipse(cx, fy - 22, fw + 5, 26), h);
      fill(c, rounded_rect(cx - fw - 6, fy - 22, 2 * fw + 12, 12, 5), scaled(h, 0.8f));
      fill(c, circle(cx, fy - 50, 8), rgb(250, 250, 250));
      break;
    case Headwear::FurHat:
      fill(c, rounded_rect(cx - fw - 10, fy - 52, 2 * fw + 20, 36, 14), h);
      for (int k = 0; k < 14; ++k) fill(c, circle(cx - fw - 6 + k * (2 * fw + 12) / 13, fy - 18, 6), scaled(h, 1.2f));
      break;
    case Headwear::Headphones:
      fill(c, stroke(cx - fw - 4, fy, cx - fw + 6, fy - fh - 10, 6), h);
      fill(c, stroke(cx + fw + 4, fy, cx + fw - 6, fy - fh - 10, 6), h);
      fill(c, stroke(cx - fw + 6, fy - fh - 10, cx + fw - 6, fy - fh - 10, 6), h);
      fill(c, rounded_rect(cx - fw - 10, fy - 10, 12, 24, 5), rgb(255, 80, 140));
      fill(c, rounded_rect(cx + fw - 2, fy - 10, 12, 24, 5), rgb(255, 80, 140));
      break;
    default:
      break;
  }
}

}  // namespace

Canvas portrait(int world, int person) {
  Person p = person_of(world, person);
  Canvas c(kSize, kSize);
  Canvas inner(kSize, kSize);
  fill(inner, rounded_rect(4, 4, kSize - 8, kSize - 8, 18), radial_gradient({64, 40}, 110, {scaled(p.backdrop, 1.15f), scaled(p.backdrop, 0.7f)}));
  paint_person(inner, p);
  // Keep the person inside the rounded frame.
  Canvas mask(kSize, kSize);
  fill(mask, rounded_rect(4, 4, kSize - 8, kSize - 8, 18), rgb(255, 255, 255));
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) inner.at(x, y).a *= mask.at(x, y).a;
  }
  fill(c, rounded_rect(0, 0, kSize, kSize, 22), kInk);
  fill(c, rounded_rect(2, 2, kSize - 4, kSize - 4, 20), rgb(240, 240, 250));
  c.draw(inner, 0, 0);
  return c;
}

}  // namespace gen
