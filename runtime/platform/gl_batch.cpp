// Batches of OpenGL primitives drawn through client-side vertex arrays.
#include "runtime/platform/gl_batch.hpp"

#include <algorithm>
#include <cmath>

namespace rt {

GlVertex gl_vertex(float x, float y, float u, float v, Colour colour) {
  return GlVertex{x, y, u, v, {colour.r, colour.g, colour.b, colour.a}};
}

void GlBatch::add_fan(const GlVertex* corners, int count) {
  Waiting& w = room_for(kTriangles, corners, count);
  // Separate triangles, as the fan would cut them, so that consecutive fans share one call; each
  // corner is sent once and named by index.
  const auto first = static_cast<GLuint>(w.vertices.size());
  w.vertices.insert(w.vertices.end(), corners, corners + count);
  for (int i = 1; i + 1 < count; ++i) {
    w.indices.push_back(first);
    w.indices.push_back(first + GLuint(i));
    w.indices.push_back(first + GLuint(i) + 1);
  }
}

void GlBatch::add_line(const GlVertex& from, const GlVertex& to) {
  const GlVertex ends[2] = {from, to};
  Waiting& w = room_for(kLines, ends, 2);
  const auto first = static_cast<GLuint>(w.vertices.size());
  w.vertices.insert(w.vertices.end(), ends, ends + 2);
  w.indices.push_back(first);
  w.indices.push_back(first + 1);
}

namespace {

// Whether the segment from a to b passes through the box, or may (a NaN anywhere).
bool segment_meets(const GlVertex& a, const GlVertex& b, float left, float top, float right, float bottom) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  for (float v : {a.x, a.y, dx, dy, left, top, right, bottom}) {
    if (!std::isfinite(v)) return true;
  }
  float enter = 0.0f, leave = 1.0f;
  // Keeps the part of the segment where p * t <= q.
  const auto keep_where = [&](float p, float q) {
    if (p == 0.0f) return !(q < 0.0f);
    const float t = q / p;
    if (p < 0.0f) {
      enter = std::max(enter, t);
    } else {
      leave = std::min(leave, t);
    }
    return !(enter > leave);
  };
  return keep_where(-dx, a.x - left) && keep_where(dx, right - a.x) && keep_where(-dy, a.y - top) &&
         keep_where(dy, bottom - a.y);
}

}  // namespace

void GlBatch::flush() {
  static constexpr GLenum kPrimitive[kGroups] = {GL_LINES, GL_TRIANGLES, GL_TRIANGLES};
  for (int group = 0; group < kGroups; ++group) {
    std::vector<GlVertex>& vertices = waiting_[group].vertices;
    if (vertices.empty()) continue;
    glVertexPointer(2, GL_FLOAT, sizeof(GlVertex), &vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(GlVertex), &vertices[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(GlVertex), vertices[0].rgba);
    const std::vector<GLuint>& indices = waiting_[group].indices;
    glDrawElements(kPrimitive[group], static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
  }
  drop();
}

void GlBatch::drop() {
  for (Waiting& w : waiting_) {
    w.vertices.clear();
    w.indices.clear();
    w.boxes.clear();
  }
}

GlBatch::Waiting& GlBatch::room_for(Kind kind, const GlVertex* corners, int count) {
  Box box{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
  for (int i = 1; i < count; ++i) {
    box.left = std::min(box.left, corners[i].x);
    box.top = std::min(box.top, corners[i].y);
    box.right = std::max(box.right, corners[i].x);
    box.bottom = std::max(box.bottom, corners[i].y);
  }
  // Written so that a NaN counts as off the screen.
  const bool on_screen = box.left >= 0.0f && box.top >= 0.0f && box.right <= screen_width_ && box.bottom <= screen_height_;
  const int group = kind == kLines ? 0 : on_screen ? 1 : 2;
  box.left -= reach_;
  box.top -= reach_;
  box.right += reach_;
  box.bottom += reach_;
  make_room(group, box, kind == kLines ? corners : nullptr);
  // The first group is drawn first, so no later primitive ever needs to know where its own lie.
  if (group > 0) keep(group, box);
  return waiting_[group];
}

// Groups drawn after this one must hold nothing that this primitive would then be drawn under. A
// line is held to the pixels near it, not to its box: a shower of long slanting drops has boxes that
// overlap nearly everything.
void GlBatch::make_room(int group, const Box& box, const GlVertex* line) {
  const auto meets = [&](const Box& other) {
    if (!other.meets(box)) return false;
    return line == nullptr || segment_meets(line[0], line[1], other.left - reach_, other.top - reach_,
                                            other.right + reach_, other.bottom + reach_);
  };
  for (int later = group + 1; later < kGroups; ++later) {
    const Waiting& w = waiting_[later];
    if (w.boxes.empty() || !w.all.meets(box)) continue;
    if (std::any_of(w.boxes.begin(), w.boxes.end(), meets)) {
      flush();
      return;
    }
  }
}

void GlBatch::keep(int group, const Box& box) {
  Waiting& w = waiting_[group];
  if (w.boxes.empty()) {
    w.all = box;
  } else {
    w.all = Box{std::min(w.all.left, box.left), std::min(w.all.top, box.top), std::max(w.all.right, box.right),
                std::max(w.all.bottom, box.bottom)};
  }
  w.boxes.push_back(box);
}

}  // namespace rt
