// The pixel-exact overlap test: two pictures placed as drawn, compared scan line by scan line.
#include "runtime/overlap.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "runtime/image.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"

namespace rt {
namespace {

struct Corner {
  float x, y, u, v;
};

// A picture placed on screen: corners top-left, top-right, bottom-right, bottom-left.
struct Quad {
  std::shared_ptr<const Picture> picture;
  Corner corners[4];
  float min_x, min_y, max_x, max_y;
};

// The quads recorded for testing against; emptied quads wait in the free pool for reuse.
struct CollisionLayer {
  std::vector<Quad> quads;
  std::vector<Quad> free_pool;
  std::vector<unsigned char> scratch_row;  // both quads' solid pixels of one line, reused
};

CollisionLayer& layer() {
  static CollisionLayer l;
  return l;
}

void empty_layer(CollisionLayer& l) {
  for (Quad& q : l.quads) l.free_pool.push_back(std::move(q));
  l.quads.clear();
}

Quad& take_quad(CollisionLayer& l) {
  if (l.free_pool.empty()) {
    l.quads.emplace_back();
  } else {
    l.quads.push_back(std::move(l.free_pool.back()));
    l.free_pool.pop_back();
  }
  return l.quads.back();
}

// Fills in a quad for an image drawn at (x, y) under the current transform, as drawing would place it.
void place_quad(Quad& q, const Image& image, int x, int y) {
  const DrawState& s = draw_state();
  const Picture& p = *image.picture;
  const float tx = static_cast<float>(x) + s.origin_x;
  const float ty = static_cast<float>(y) + s.origin_y;
  const float left = -image.handle_x, top = -image.handle_y;
  const float right = static_cast<float>(p.width) - image.handle_x;
  const float bottom = static_cast<float>(p.height) - image.handle_y;
  const float w = static_cast<float>(p.width), h = static_cast<float>(p.height);
  // Texture coordinates are kept in texels (0..width, 0..height) rather than 0..1: at scale 1 every
  // step is then a whole or half texel and no rounding error can move a sample into the next texel.
  const float local[4][4] = {{left, top, 0, 0}, {right, top, w, 0}, {right, bottom, w, h}, {left, bottom, 0, h}};
  for (int i = 0; i < 4; ++i) {
    const float lx = local[i][0], ly = local[i][1];
    q.corners[i] = {tx + lx * s.ix + ly * s.iy, ty + lx * s.jx + ly * s.jy, local[i][2], local[i][3]};
  }
  q.picture = image.picture;
  q.min_x = q.max_x = q.corners[0].x;
  q.min_y = q.max_y = q.corners[0].y;
  for (const Corner& c : q.corners) {
    q.min_x = std::min(q.min_x, c.x);
    q.max_x = std::max(q.max_x, c.x);
    q.min_y = std::min(q.min_y, c.y);
    q.max_y = std::max(q.max_y, c.y);
  }
}

bool boxes_miss(const Quad& a, const Quad& b) {
  return a.max_x < b.min_x || b.max_x < a.min_x || a.max_y < b.min_y || b.max_y < a.min_y;
}

// One quad's part of a scan line: whole pixels [left, right) and the texel coordinates at its ends.
struct Span {
  int left, right;
  double u0, v0, u1, v1;
};

// Cuts the quad's edges at the line's centre; false when the quad gives no span of a pixel or more.
bool span_on_line(const Quad& q, int line, Span& span) {
  struct Cut {
    double x, u, v;
  };
  const double yc = line + 0.5;
  Cut cuts[4];
  int count = 0;
  for (int i = 0; i < 4; ++i) {
    const Corner& a = q.corners[i];
    const Corner& b = q.corners[(i + 1) % 4];
    if (yc < std::min(a.y, b.y) || yc >= std::max(a.y, b.y)) continue;
    const double dy = yc - a.y, height = static_cast<double>(b.y) - a.y;
    cuts[count++] = {a.x + dy * ((b.x - a.x) / height), a.u + dy * ((b.u - a.u) / height),
                     a.v + dy * ((b.v - a.v) / height)};
  }
  if (count < 2) return false;
  const auto by_x = [](const Cut& m, const Cut& n) { return m.x < n.x; };
  const auto [left, right] = std::minmax_element(cuts, cuts + count, by_x);
  span = {static_cast<int>(left->x), static_cast<int>(right->x), left->u, left->v, right->u, right->v};
  return span.right - span.left >= 1;
}

// Marks, for count pixels of the span from screen column first, whether the quad's picture is solid
// there, sampling at each pixel's centre. A picture without alpha is solid everywhere.
void sample_span(const Picture& picture, const Span& s, int first, std::size_t count, unsigned char* solid) {
  if (!picture.has_alpha) {
    std::fill_n(solid, count, 1);
    return;
  }
  const double width = s.right - s.left;
  const double du = (s.u1 - s.u0) / width, dv = (s.v1 - s.v0) / width;
  double u = s.u0 + (first - s.left + 0.5) * du;
  double v = s.v0 + (first - s.left + 0.5) * dv;
  const double max_u = picture.width, max_v = picture.height;
  const int last_column = picture.width - 1, last_row = picture.height - 1;

  // Unscaled and unturned, a span walks one texel per pixel along one row: read the row directly.
  if (dv == 0.0 && du == 1.0 && u >= 0.0 && u + static_cast<double>(count - 1) < max_u) {
    const int row = std::min(static_cast<int>(std::clamp(v, 0.0, max_v)), last_row);
    const std::uint32_t* texels = &picture.argb[static_cast<std::size_t>(row) * picture.width + static_cast<int>(u)];
    for (std::size_t i = 0; i < count; ++i) solid[i] = texels[i] >= 0x80000000u;
    return;
  }
  for (std::size_t i = 0; i < count; ++i, u += du, v += dv) {
    const int column = std::min(static_cast<int>(std::clamp(u, 0.0, max_u)), last_column);
    const int row = std::min(static_cast<int>(std::clamp(v, 0.0, max_v)), last_row);
    solid[i] = picture.at(column, row) >= 0x80000000u;
  }
}

bool pixels_meet(const Quad& a, const Quad& b, CollisionLayer& l) {
  // Only lines whose centres lie within both quads can hold a shared pixel.
  const int all_top = static_cast<int>(std::min(a.min_y, b.min_y));
  const int all_bottom = static_cast<int>(std::max(a.max_y, b.max_y));
  const int first = std::max(all_top, static_cast<int>(std::floor(std::max(a.min_y, b.min_y))) - 1);
  const int last = std::min(all_bottom - 1, static_cast<int>(std::ceil(std::min(a.max_y, b.max_y))) + 1);

  for (int line = first; line <= last; ++line) {
    Span sa, sb;
    if (!span_on_line(a, line, sa) || !span_on_line(b, line, sb)) continue;
    const int left = std::max(sa.left, sb.left);
    const int right = std::min(sa.right, sb.right);
    if (left >= right) continue;
    if (!a.picture->has_alpha && !b.picture->has_alpha) return true;
    const std::size_t count = static_cast<std::size_t>(right - left);
    if (l.scratch_row.size() < 2 * count) l.scratch_row.resize(2 * count);
    unsigned char* solid_a = l.scratch_row.data();
    unsigned char* solid_b = solid_a + count;
    sample_span(*a.picture, sa, left, count, solid_a);
    sample_span(*b.picture, sb, left, count, solid_b);
    unsigned char both = 0;
    for (std::size_t i = 0; i < count; ++i) both |= solid_a[i] & solid_b[i];
    if (both) return true;
  }
  return false;
}

void check_frame(int frame) {
  if (frame != 0) runtime_error(from_latin1("Image frame " + std::to_string(frame) + " does not exist"));
}

}  // namespace

int images_overlap(int image1, int x1, int y1, int frame1, int image2, int x2, int y2, int frame2) {
  const Image& first = image_for_use(image1);
  const Image& second = image_for_use(image2);
  check_frame(frame1);
  check_frame(frame2);

  CollisionLayer& l = layer();
  empty_layer(l);
  place_quad(take_quad(l), first, x1, y1);

  Quad tested;
  place_quad(tested, second, x2, y2);
  for (const Quad& recorded : l.quads) {
    if (!boxes_miss(recorded, tested) && pixels_meet(recorded, tested, l)) return 1;
  }
  return 0;
}

}  // namespace rt
