// Batches of OpenGL primitives drawn through client-side vertex arrays.
#include "runtime/platform/gl_batch.hpp"

#include <algorithm>

namespace rt {

GlVertex gl_vertex(float x, float y, float u, float v, Colour colour) {
  return GlVertex{x, y, u, v, colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, colour.a / 255.0f};
}

void GlBatch::add_fan(const GlVertex* corners, int count) {
  const Box box = reach_around(corners, count);
  make_room(kTriangles, box);
  std::vector<GlVertex>& out = waiting_[kTriangles].vertices;
  // Separate triangles, as the fan would cut them, so that consecutive fans share one call.
  for (int i = 1; i + 1 < count; ++i) {
    out.push_back(corners[0]);
    out.push_back(corners[i]);
    out.push_back(corners[i + 1]);
  }
  // Triangles are drawn first, so no later primitive ever needs to know where they lie.
}

void GlBatch::add_line(const GlVertex& from, const GlVertex& to) {
  const GlVertex ends[2] = {from, to};
  const Box box = reach_around(ends, 2);
  make_room(kLines, box);
  waiting_[kLines].vertices.insert(waiting_[kLines].vertices.end(), ends, ends + 2);
  keep(kLines, box);
}

void GlBatch::add_point(const GlVertex& point) {
  const Box box = reach_around(&point, 1);
  make_room(kPoints, box);
  waiting_[kPoints].vertices.push_back(point);
  keep(kPoints, box);
}

void GlBatch::flush() {
  static constexpr GLenum kPrimitive[kKinds] = {GL_TRIANGLES, GL_LINES, GL_POINTS};
  for (int kind = 0; kind < kKinds; ++kind) {
    std::vector<GlVertex>& vertices = waiting_[kind].vertices;
    if (vertices.empty()) continue;
    glVertexPointer(2, GL_FLOAT, sizeof(GlVertex), &vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(GlVertex), &vertices[0].u);
    glColorPointer(4, GL_FLOAT, sizeof(GlVertex), &vertices[0].r);
    glDrawArrays(kPrimitive[kind], 0, static_cast<GLsizei>(vertices.size()));
  }
  drop();
}

void GlBatch::drop() {
  for (Waiting& w : waiting_) {
    w.vertices.clear();
    w.boxes.clear();
  }
}

GlBatch::Box GlBatch::reach_around(const GlVertex* corners, int count) const {
  Box box{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
  for (int i = 1; i < count; ++i) {
    box.left = std::min(box.left, corners[i].x);
    box.top = std::min(box.top, corners[i].y);
    box.right = std::max(box.right, corners[i].x);
    box.bottom = std::max(box.bottom, corners[i].y);
  }
  box.left -= reach_;
  box.top -= reach_;
  box.right += reach_;
  box.bottom += reach_;
  return box;
}

// Kinds drawn after this one must hold nothing that this primitive would then be drawn under.
void GlBatch::make_room(Kind kind, const Box& box) {
  for (int later = kind + 1; later < kKinds; ++later) {
    const Waiting& w = waiting_[later];
    if (w.boxes.empty() || !w.all.meets(box)) continue;
    if (std::any_of(w.boxes.begin(), w.boxes.end(), [&](const Box& other) { return other.meets(box); })) {
      flush();
      return;
    }
  }
}

void GlBatch::keep(Kind kind, const Box& box) {
  Waiting& w = waiting_[kind];
  if (w.boxes.empty()) {
    w.all = box;
  } else {
    w.all = Box{std::min(w.all.left, box.left), std::min(w.all.top, box.top), std::max(w.all.right, box.right),
                std::max(w.all.bottom, box.bottom)};
  }
  w.boxes.push_back(box);
}

}  // namespace rt
