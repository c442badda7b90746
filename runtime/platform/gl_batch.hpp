// Primitives held back so that OpenGL draws many in one call, with exactly the picture that drawing
// them one by one in the order given would make.
#pragma once
#include <GL/gl.h>

#include <vector>

#include "runtime/renderer.hpp"

namespace rt {

// One corner as the vertex arrays hold it. Colours are the floats glColor4ub would make of them.
struct GlVertex {
  float x, y, u, v;
  float r, g, b, a;
};

GlVertex gl_vertex(float x, float y, float u, float v, Colour colour);

// Everything added shares one texture and one blending state: the owner flushes before changing
// either. Triangles, lines and points are drawn by separate calls, triangles first, then lines, then
// points; a primitive that would end up drawn before an earlier one of another kind over the same
// pixels first has what waits drawn.
class GlBatch {
 public:
  // How far, in picture pixels, a primitive may light pixels beyond its corners (line width, point
  // size, rounding): two primitives further apart than twice this share no pixel.
  void set_reach(float picture_pixels) { reach_ = picture_pixels; }

  void add_fan(const GlVertex* corners, int count);  // a convex polygon, corners in order
  void add_line(const GlVertex& from, const GlVertex& to);
  void add_point(const GlVertex& point);

  // Draws what waits through the enabled client arrays and empties the batch.
  void flush();
  // Forgets what waits, for a context that is gone.
  void drop();

 private:
  enum Kind { kTriangles, kLines, kPoints, kKinds };

  struct Box {
    float left, top, right, bottom;
    // Written so that a box with a NaN in it meets everything.
    bool meets(const Box& other) const {
      return !(other.right < left || right < other.left || other.bottom < top || bottom < other.top);
    }
  };

  struct Waiting {
    std::vector<GlVertex> vertices;
    std::vector<Box> boxes;  // one per primitive
    Box all{};               // around every box, valid while boxes is not empty
  };

  Box reach_around(const GlVertex* corners, int count) const;
  void make_room(Kind kind, const Box& box);
  void keep(Kind kind, const Box& box);

  float reach_ = 2.0f;
  Waiting waiting_[kKinds];
};

}  // namespace rt
