// Primitives held back so that OpenGL draws many in one call, with exactly the picture that drawing
// them one by one in the order given would make.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "runtime/renderer.hpp"

namespace rt {

// One corner as the vertex arrays hold it, its colour in bytes as glColor4ub takes it.
struct GlVertex {
  float x, y, u, v;
  std::uint8_t rgba[4];
};

GlVertex gl_vertex(float x, float y, float u, float v, Colour colour);

// Everything added shares one texture and one blending state: the owner flushes before changing
// either. Lines and triangles are drawn by separate calls, lines first, and the triangles wholly on
// the screen apart from those reaching past its edge: a software driver sends every vertex of a call
// through its slow clipping path, once per few dozen primitives, as soon as one vertex of the call
// lies off the screen. A primitive that would end up drawn before an earlier one of another group
// over the same pixels first has what waits drawn.
class GlBatch {
 public:
  // How far, in picture pixels, a primitive may light pixels beyond its corners (line width,
  // rounding): two primitives further apart than twice this share no pixel.
  void set_reach(float picture_pixels) { reach_ = picture_pixels; }
  // The screen's size in the coordinates primitives come in.
  void set_screen(float width, float height) {
    screen_width_ = width;
    screen_height_ = height;
  }

  void add_fan(const GlVertex* corners, int count);  // a convex polygon, corners in order
  void add_line(const GlVertex& from, const GlVertex& to);

  // Draws what waits through the enabled client arrays and empties the batch.
  void flush();
  // Forgets what waits, for a context that is gone.
  void drop();

 private:
  // Lines come first: a line's end pixel is drawn after it as a small square, which must not force
  // a flush at every line of a shower of them.
  enum Kind { kLines, kTriangles };
  // Groups in the order they are drawn: lines, triangles on the screen, triangles past its edge.
  static constexpr int kGroups = 3;

  struct Box {
    float left, top, right, bottom;
    // Written so that a box with a NaN in it meets everything.
    bool meets(const Box& other) const {
      return !(other.right < left || right < other.left || other.bottom < top || bottom < other.top);
    }
  };

  struct Waiting {
    std::vector<GlVertex> vertices;
    std::vector<GLuint> indices;  // pairs of line ends, triples of triangle corners
    std::vector<Box> boxes;  // one per primitive
    Box all{};               // around every box, valid while boxes is not empty
  };

  // Where the next primitive of this kind goes, after making room for it.
  Waiting& room_for(Kind kind, const GlVertex* corners, int count);
  void make_room(int group, const Box& box, const GlVertex* line);
  void keep(int group, const Box& box);

  float reach_ = 2.0f;
  float screen_width_ = 0.0f, screen_height_ = 0.0f;
  Waiting waiting_[kGroups];
};

}  // namespace rt
