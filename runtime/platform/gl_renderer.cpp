// The OpenGL renderer behind game_gl: fixed-function drawing into a centred, aspect-kept viewport.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

#include "runtime/platform/gl_atlas.hpp"
#include "runtime/platform/gl_batch.hpp"
#include "runtime/platform/gl_coverage.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/renderer.hpp"
#include "runtime/soft_outline.hpp"
#include "runtime/soft_spans.hpp"

namespace rt {
namespace {

// Nudges that make OpenGL's choices agree with the software device where an edge or a line falls
// exactly on a pixel centre or boundary. Each is one step of the rasteriser's sub-pixel grid (1/256),
// too small to matter anywhere else. Filled shapes move up and left, so a centre on a left or top edge
// is in and one on a right or bottom edge is out; lines move down or right across their length, so a
// line along a pixel boundary lights the pixels after it, as the software device rounds down.
constexpr float kFillNudge = -1.0f / 256.0f;
constexpr float kLineNudge = 1.0f / 256.0f;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// The largest area of the drawable with the picture's aspect, centred; the rest stays black.
Rect fitted_viewport(int drawable_width, int drawable_height, int width, int height) {
  const double scale = std::min(double(drawable_width) / width, double(drawable_height) / height);
  Rect r;
  r.width = std::max(1, static_cast<int>(std::lround(width * scale)));
  r.height = std::max(1, static_cast<int>(std::lround(height * scale)));
  r.x = (drawable_width - r.width) / 2;
  r.y = (drawable_height - r.height) / 2;
  return r;
}

// What the texture coordinates must move by so that the nudged quad still samples each pixel centre
// where the software device does, plus a sliver of a texel so that a centre falling exactly on a texel
// boundary takes the texel after it, as the software device's rounding down does.
struct TexelShift {
  float u = 0.0f, v = 0.0f;
};

TexelShift texel_shift(const Picture& picture, const TexVertex corners[4]) {
  constexpr double kSliver = 1.0 / 1024.0;
  // The quad is a parallelogram: texture coordinates change linearly along its two sides.
  const double e1x = corners[1].x - corners[0].x, e1y = corners[1].y - corners[0].y;
  const double e2x = corners[3].x - corners[0].x, e2y = corners[3].y - corners[0].y;
  const double det = e1x * e2y - e2x * e1y;
  if (det == 0.0 || !std::isfinite(det)) return TexelShift{};
  const double du1 = corners[1].u - corners[0].u, du2 = corners[3].u - corners[0].u;
  const double dv1 = corners[1].v - corners[0].v, dv2 = corners[3].v - corners[0].v;
  // Screen steps (1, 1) in the quad's own coordinates s and t.
  const double s = (e2y - e2x) / det, t = (e1x - e1y) / det;
  TexelShift shift;
  shift.u = static_cast<float>(kFillNudge * (s * du1 + t * du2) + kSliver / picture.width);
  shift.v = static_cast<float>(kFillNudge * (s * dv1 + t * dv2) + kSliver / picture.height);
  return shift;
}

class GlRenderer final : public Renderer {
 public:
  const char* name() const override { return "OpenGL"; }

  bool open(int width, int height, int depth, int, int) override {
    close();
    if (width <= 0 || height <= 0) return false;
    if (!platform::current().open_window(width, height, depth != 0, platform::SurfaceKind::OpenGL)) return false;
    // A window can open with no usable context behind it; nothing could be drawn then.
    if (glGetString(GL_VERSION) == nullptr) {
      platform::current().close_window();
      return false;
    }
    width_ = width;
    height_ = height;
    open_ = true;
    // Textures and the kept frame belonged to the previous context, which is gone.
    textures_.clear();
    atlas_texture_ = 0;
    scratch_texture_ = 0;
    saved_frame_texture_ = 0;
    saved_frame_ = Rect{};
    keeping_frames_ = false;
    drawn_since_present_ = false;
    set_fixed_states();
    mode_ = 1;
    apply_blend_mode();
    return true;
  }

  void close() override {
    if (!open_) return;
    open_ = false;
    batch_.drop();
    textures_.clear();
    platform::current().close_window();
  }

  bool is_open() const override { return open_; }
  int width() const override { return width_; }
  int height() const override { return height_; }

  void set_blend_mode(int mode) override {
    batch_.flush();
    mode_ = mode;
    if (open_) apply_blend_mode();
  }

  void draw_textured_quad(const Picture& picture, const TexVertex corners[4], Colour colour) override {
    if (!open_ || picture.width <= 0 || picture.height <= 0 || picture.argb.empty()) return;
    const TexelSpot spot = bind_picture(picture, corners);
    use_blending_for(bound_coverage_->opaque, colour);
    drawn_since_present_ = true;
    const TexelShift shift = texel_shift(picture, corners);
    GlVertex fan[4];
    for (int i = 0; i < 4; ++i) {
      fan[i] = gl_vertex(corners[i].x + kFillNudge, corners[i].y + kFillNudge, spot.u(corners[i].u + shift.u),
                         spot.v(corners[i].v + shift.v), colour);
    }
    if (!spot.in_atlas && draw_in_strips(picture, corners, fan)) return;
    batch_.add_fan(fan, 4);
  }

  void fill_polygon(const float* xy, int count, Colour colour) override {
    if (!open_ || count < 3) return;
    use_flat_colour(colour);
    drawn_since_present_ = true;
    if (fill_as_rectangles(xy, count, colour)) return;
    fan_.clear();
    for (int i = 0; i < count; ++i) fan_.push_back(gl_vertex(xy[2 * i] + kFillNudge, xy[2 * i + 1] + kFillNudge, 0, 0, colour));
    batch_.add_fan(fan_.data(), count);
  }

  void draw_line(float x1, float y1, float x2, float y2, Colour colour) override {
    if (!open_) return;
    use_flat_colour(colour);
    drawn_since_present_ = true;
    // The ends move along the line to the pixel edges around the first and last pixel centres it
    // passes, so that the diamond rule covers exactly those pixels, as the software device does;
    // across the line only a nudge.
    const double dx = double(x2) - x1, dy = double(y2) - y1;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return;
    const bool along_x = std::fabs(dx) >= std::fabs(dy);
    const double a1 = along_x ? x1 : y1, a2 = along_x ? x2 : y2, b1 = along_x ? y1 : x1;
    const double slope = along_x ? dy / dx : dx / dy;
    const double start = a2 > a1 ? std::ceil(a1 - 0.5) : std::floor(a1 - 0.5) + 1.0;
    const double end = a2 > a1 ? std::ceil(a2 - 0.5) : std::floor(a2 - 0.5) + 1.0;
    if (start == end) return;
    // A line along a pixel row or column lights whole pixels from start to end.
    if (b1 == (along_x ? y2 : x2)) {
      const double a = std::min(start, end), b = std::floor(b1);
      if (along_x) return fill_pixels(a, b, std::max(start, end), b + 1, colour);
      return fill_pixels(b, a, b + 1, std::max(start, end), colour);
    }
    const double across = kLineNudge;
    const auto end_at = [&](double a) {
      const auto b = static_cast<float>(b1 + (a - a1) * slope + across);
      const auto along = static_cast<float>(a);
      return along_x ? gl_vertex(along, b, 0, 0, colour) : gl_vertex(b, along, 0, 0, colour);
    };
    batch_.add_line(end_at(start), end_at(end));
  }

  void plot_point(float x, float y, Colour colour) override {
    if (!open_) return;
    use_flat_colour(colour);
    drawn_since_present_ = true;
    // The pixel containing (x, y), as a square: it joins the triangles' batch, and at a scaled
    // viewport it covers the picture pixel as the polygons beside it do.
    const double left = std::floor(double(x)), top = std::floor(double(y));
    fill_pixels(left, top, left + 1, top + 1, colour);
  }

  void clear(Colour colour) override {
    if (!open_) return;
    batch_.flush();
    update_viewport();
    drawn_since_present_ = true;
    // The bars around the picture are cleared too: after a swap the back buffer holds anything.
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    if (colour.r != 0 || colour.g != 0 || colour.b != 0) {
      glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1.0f);
      glClear(GL_COLOR_BUFFER_BIT);
    }
  }

  // A software driver would otherwise draw the whole frame in the swap, after the frame's deadline.
  bool flush() override {
    if (!open_) return false;
    batch_.flush();
    glFlush();
    return false;
  }

  void present(bool wait_vblank) override {
    if (!open_) return;
    batch_.flush();
    if (keeping_frames_) keep_frame();
    drawn_since_present_ = false;
    platform::current().swap_gl(wait_vblank);
  }

  // The frame being drawn, or the one last shown when nothing has been drawn since. Shown frames are
  // kept from the first read-back of a screen on: the copy costs as much as a layer of the picture
  // on a software driver, and the game itself never reads back.
  void read_back(std::vector<std::uint32_t>& argb) override {
    argb.assign(std::size_t(width_) * height_, 0xFF000000u);
    if (!open_) return;
    keeping_frames_ = true;
    batch_.flush();
    const bool shown = !drawn_since_present_ && saved_frame_texture_ != 0;
    const Rect area = shown ? saved_frame_ : viewport_;
    std::vector<std::uint32_t> rows(std::size_t(area.width) * area.height);
    if (shown) {
      bind(saved_frame_texture_);
      glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    } else {
      glReadBuffer(GL_BACK);
      glReadPixels(area.x, area.y, area.width, area.height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    }
    // OpenGL rows run bottom to top; a scaled viewport is sampled back to the picture's size.
    for (int y = 0; y < height_; ++y) {
      const int source_row = area.height - 1 - static_cast<int>(std::int64_t(y) * area.height / height_);
      const std::uint32_t* source = rows.data() + std::size_t(source_row) * area.width;
      std::uint32_t* target = argb.data() + std::size_t(y) * width_;
      for (int x = 0; x < width_; ++x) {
        target[x] = 0xFF000000u | source[std::int64_t(x) * area.width / width_];
      }
    }
  }

 private:
  void set_fixed_states() {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_LINE_SMOOTH);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width_, height_, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    batch_.drop();
    batch_.set_screen(float(width_), float(height_));
    glDisable(GL_TEXTURE_2D);
    texturing_ = false;
    bound_texture_ = 0;
    viewport_ = Rect{};
    update_viewport();
  }

  // Follows the drawable, which a desktop can resize under a full-screen window.
  void update_viewport() {
    int drawable_width = 0, drawable_height = 0;
    platform::current().gl_drawable_size(drawable_width, drawable_height);
    if (drawable_width <= 0 || drawable_height <= 0) {
      drawable_width = width_;
      drawable_height = height_;
    }
    const Rect fitted = fitted_viewport(drawable_width, drawable_height, width_, height_);
    if (fitted == viewport_) return;
    viewport_ = fitted;
    glViewport(fitted.x, fitted.y, fitted.width, fitted.height);
    glScissor(fitted.x, fitted.y, fitted.width, fitted.height);
    glEnable(GL_SCISSOR_TEST);
    // One picture pixel stays one pixel wide however the picture is scaled.
    const float pixel = std::max(1.0f, std::round(float(fitted.width) / width_));
    glLineWidth(pixel);
    // Half a line, its rounding to a pixel centre and a pixel of margin, in picture pixels.
    batch_.set_reach((pixel * 0.5f + 1.5f) * width_ / fitted.width);
  }

  void apply_blend_mode() {
    blending_ = mode_ >= 3 && mode_ <= 5;
    switch (mode_) {
      case 1:
        glDisable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
        break;
      case 3:
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        break;
      case 4:
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        break;
      case 5:
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        break;
      default:  // 2, and modes the drawing layer does not define
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        break;
    }
  }

  void use_blending(bool on) { use_capability(blending_, GL_BLEND, on); }

  // Blending as the mode asks, left off where it would give the source's own colour anyway: an
  // opaque picture or shape at full strength in the alpha-blend mode.
  void use_blending_for(bool opaque, Colour colour) {
    use_blending(mode_ >= 3 && mode_ <= 5 && !(opaque && soft::opaque_texels_replace(mode_, colour)));
  }

  void use_flat_colour(Colour colour) {
    use_texturing(false);
    use_blending_for(true, colour);
  }

  void use_texturing(bool on) { use_capability(texturing_, GL_TEXTURE_2D, on); }

  void use_capability(bool& state, GLenum capability, bool on) {
    if (on == state) return;
    batch_.flush();
    state = on;
    if (on) {
      glEnable(capability);
    } else {
      glDisable(capability);
    }
  }

  void bind(GLuint texture) {
    if (texture == bound_texture_) return;
    batch_.flush();
    glBindTexture(GL_TEXTURE_2D, texture);
    bound_texture_ = texture;
  }

  // Where a picture's texels lie in the bound texture: all of it, or its place in the atlas.
  struct TexelSpot {
    bool in_atlas = false;
    float u0 = 0.0f, v0 = 0.0f, u_scale = 1.0f, v_scale = 1.0f;
    float u(float picture_u) const { return u0 + picture_u * u_scale; }
    float v(float picture_v) const { return v0 + picture_v * v_scale; }
  };

  // Binds the texture holding the picture, made the first time it is drawn on this screen. A small
  // picture drawn small and whole comes from the atlas; otherwise it has a texture of its own.
  TexelSpot bind_picture(const Picture& picture, const TexVertex corners[4]) {
    use_texturing(true);
    // Pictures without an id cannot be told apart, so they share one texture refilled at every draw.
    if (picture.id == 0) {
      if (scratch_texture_ == 0) scratch_texture_ = new_texture();
      bind(scratch_texture_);
      upload(picture);
      scratch_coverage_ = coverage_of(picture);
      bound_coverage_ = &scratch_coverage_;
      return TexelSpot{};
    }
    auto [found, made] = textures_.try_emplace(picture.id);
    Texture& texture = found->second;
    if (made) {
      texture.coverage = coverage_of(picture);
      texture.in_atlas = GlAtlas::fits(picture) && add_to_atlas(picture, texture.place);
    }
    bound_coverage_ = &texture.coverage;
    if (texture.in_atlas && drawn_small_and_whole(corners)) {
      bind(atlas_texture_);
      constexpr float kTexel = 1.0f / GlAtlas::kSize;
      return TexelSpot{true, texture.place.x * kTexel, texture.place.y * kTexel, picture.width * kTexel,
                       picture.height * kTexel};
    }
    if (texture.texture == 0) {
      texture.texture = new_texture();
      upload(picture);
    }
    bind(texture.texture);
    return TexelSpot{};
  }

  bool add_to_atlas(const Picture& picture, GlAtlas::Place& place) {
    if (atlas_texture_ == 0) {
      atlas_texture_ = new_texture();
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GlAtlas::kSize, GlAtlas::kSize, 0, GL_BGRA,
                   GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
      atlas_.reset();
    }
    // Primitives waiting on the atlas sample other places, which the copy leaves as they are.
    bind(atlas_texture_);
    return atlas_.add(picture, place);
  }

  // Texture coordinates within the picture (its ringed edge stands in for clamping just past it)
  // and a quad too small for drawing in strips to pay.
  bool drawn_small_and_whole(const TexVertex c[4]) const {
    float left = c[0].x, right = c[0].x, top = c[0].y, bottom = c[0].y;
    for (int i = 0; i < 4; ++i) {
      if (!(c[i].u >= 0.0f && c[i].u <= 1.0f && c[i].v >= 0.0f && c[i].v <= 1.0f)) return false;
      left = std::min(left, c[i].x);
      right = std::max(right, c[i].x);
      top = std::min(top, c[i].y);
      bottom = std::max(bottom, c[i].y);
    }
    return (right - left) * (bottom - top) < float(width_) * float(height_) / 16.0f;
  }

  GLuint new_texture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    bind(texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return texture;
  }

  // Fills the bound texture with the picture.
  void upload(const Picture& picture) {
    batch_.flush();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, picture.width, picture.height, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, picture.argb.data());
  }

  // A large picture with wide fully transparent areas, drawn in a mode where a transparent texel
  // leaves its pixel as it was, is drawn once per run of strips with the screen cut down to the
  // strips' covered rows and a margin: the pixels cut away would only have sampled transparent texels.
  bool draw_in_strips(const Picture& picture, const TexVertex c[4], const GlVertex fan[4]) {
    if (!soft::skips_transparent(mode_)) return false;
    const bool axis_aligned = c[0].y == c[1].y && c[2].y == c[3].y && c[0].x == c[3].x && c[1].x == c[2].x &&
                              c[0].u == c[3].u && c[1].u == c[2].u && c[0].v == c[1].v && c[2].v == c[3].v;
    if (!axis_aligned || c[0].x == c[1].x || c[0].y == c[3].y || c[0].u == c[1].u || c[0].v == c[3].v) {
      return false;
    }
    // Beyond the texture's edge the edge texels repeat, which the strips do not describe.
    const auto inside_texture = [](float a, float b) { return a >= 0.0f && a <= 1.0f && b >= 0.0f && b <= 1.0f; };
    if (!inside_texture(c[0].u, c[1].u) || !inside_texture(c[0].v, c[3].v)) return false;
    const double scale_x = double(viewport_.width) / width_, scale_y = double(viewport_.height) / height_;
    // Picture coordinates of a texel column or row boundary.
    const auto x_at = [&](int column) {
      const double step = (double(c[1].x) - c[0].x) / (double(c[1].u) - c[0].u);
      return c[0].x + (double(column) / picture.width - c[0].u) * step;
    };
    const auto y_at = [&](int row) {
      const double step = (double(c[3].y) - c[0].y) / (double(c[3].v) - c[0].v);
      return c[0].y + (double(row) / picture.height - c[0].v) * step;
    };
    // Small pictures are left to the batch: each cut costs a draw call of its own.
    const auto on_screen = [](double a, double b, int size) {
      return std::max(0.0, std::min<double>(std::max(a, b), size) - std::max(std::min(a, b), 0.0));
    };
    if (on_screen(c[0].x, c[1].x, width_) * on_screen(c[0].y, c[3].y, height_) < double(width_) * height_ / 16.0) {
      return false;
    }
    // One texel must stay small beside the margin, so the nudges cannot carry a sample across it.
    if (std::fabs(x_at(1) - x_at(0)) * scale_x > 64.0 || std::fabs(y_at(1) - y_at(0)) * scale_y > 64.0) return false;
    const std::vector<Coverage::Rows>& strips = bound_coverage_->strips;
    const auto full = [&](const Coverage::Rows& rows) { return rows.first == 0 && rows.end == picture.height; };
    if (std::all_of(strips.begin(), strips.end(), full)) return false;
    // Window columns split at the strips' edges, so each pixel is drawn by exactly one strip; a pixel
    // by an edge may sample the strip beside its own, so each strip takes its neighbours' rows too.
    const auto column_edge = [&](std::size_t strip) {
      const int column = std::min(picture.width, int(strip) * Coverage::kStripWidth);
      return std::lround(viewport_.x + x_at(column) * scale_x);
    };
    if (std::fabs(x_at(Coverage::kStripWidth) - x_at(0)) * scale_x < 4.0) return false;
    constexpr int kMargin = 2;  // window pixels
    batch_.flush();
    Rect pending{};
    const auto draw_pending = [&] {
      if (pending.width <= 0 || pending.height <= 0) return;
      glScissor(pending.x, pending.y, pending.width, pending.height);
      batch_.add_fan(fan, 4);
      batch_.flush();
    };
    for (std::size_t strip = 0; strip < strips.size(); ++strip) {
      int first = picture.height, end = 0;
      const std::size_t last_near = std::min(strips.size() - 1, strip + 1);
      for (std::size_t near = strip == 0 ? 0 : strip - 1; near <= last_near; ++near) {
        if (strips[near].first == strips[near].end) continue;
        first = std::min(first, strips[near].first);
        end = std::max(end, strips[near].end);
      }
      // The picture's own left and right edges get a margin outwards; the quad ends there anyway.
      long edge_a = column_edge(strip), edge_b = column_edge(strip + 1);
      if (strip == 0) edge_a += edge_a < edge_b ? -kMargin : kMargin;
      if (strip + 1 == strips.size()) edge_b += edge_b > edge_a ? kMargin : -kMargin;
      long x0 = std::min(edge_a, edge_b), x1 = std::max(edge_a, edge_b);
      Rect area{};
      if (first < end) {
        const double ya = y_at(first), yb = y_at(end);
        const double top = viewport_.y + viewport_.height - std::min(ya, yb) * scale_y;
        const double bottom = viewport_.y + viewport_.height - std::max(ya, yb) * scale_y;
        const long y0 = std::max<long>(viewport_.y, long(std::floor(bottom)) - kMargin);
        const long y1 = std::min<long>(viewport_.y + viewport_.height, long(std::ceil(top)) + kMargin);
        x0 = std::max<long>(x0, viewport_.x);
        x1 = std::min<long>(x1, viewport_.x + viewport_.width);
        if (x0 < x1 && y0 < y1) area = Rect{int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
      }
      if (area.width <= 0) continue;
      // Strips side by side with the same rows are drawn together.
      if (pending.width > 0 && pending.y == area.y && pending.height == area.height &&
          (pending.x + pending.width == area.x || area.x + area.width == pending.x)) {
        pending.width += area.width;
        pending.x = std::min(pending.x, area.x);
        continue;
      }
      draw_pending();
      pending = area;
    }
    draw_pending();
    glScissor(viewport_.x, viewport_.y, viewport_.width, viewport_.height);
    return true;
  }

  // Whole pixels from (left, top) to (right, bottom), untextured. Edges on pixel boundaries leave no
  // pixel centre for the rasteriser to decide on.
  void fill_pixels(double left, double top, double right, double bottom, Colour colour) {
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(right) || !std::isfinite(bottom)) return;
    const auto l = float(left), t = float(top), r = float(right), b = float(bottom);
    const GlVertex corners[4] = {gl_vertex(l, t, 0, 0, colour), gl_vertex(r, t, 0, 0, colour),
                                 gl_vertex(r, b, 0, 0, colour), gl_vertex(l, b, 0, 0, colour)};
    batch_.add_fan(corners, 4);
  }

  // A small shape (a snow flake, a drop of spray) is cut by the rasteriser into many slivers, each
  // set up on its own. Its covered pixels, found by the same centre rule, make a few rectangles of
  // rows with the same span; they are drawn instead when they take no more triangles than the fan.
  bool fill_as_rectangles(const float* xy, int count, Colour colour) {
    constexpr int kSmallRows = 64;
    const int most = (count - 2) / 2;
    corners_.assign(xy, xy + 2 * count);
    if (!outline_.build(corners_.data(), count, width_, height_)) return true;  // nothing on the screen
    if (outline_.row1 - outline_.row0 > kSmallRows) return false;
    outline_.spans(spans_);
    rectangles_.clear();
    for (int row = outline_.row0; row < outline_.row1; ++row) {
      const soft::RowSpan span = spans_[std::size_t(row - outline_.row0)];
      if (span.xa >= span.xb) continue;
      if (!rectangles_.empty()) {
        Rect& last = rectangles_.back();
        if (last.x == span.xa && last.x + last.width == span.xb && last.y + last.height == row) {
          ++last.height;
          continue;
        }
      }
      if (int(rectangles_.size()) == most) return false;
      rectangles_.push_back(Rect{span.xa, row, span.xb - span.xa, 1});
    }
    for (const Rect& r : rectangles_) fill_pixels(r.x, r.y, r.x + r.width, r.y + r.height, colour);
    return true;
  }

  // Copies the finished frame aside before the swap leaves the back buffer undefined.
  void keep_frame() {
    if (saved_frame_texture_ == 0) saved_frame_texture_ = new_texture();
    bind(saved_frame_texture_);
    if (!(saved_frame_ == viewport_)) {
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, viewport_.width, viewport_.height, 0, GL_BGRA,
                   GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
      saved_frame_ = viewport_;
    }
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport_.x, viewport_.y, viewport_.width, viewport_.height);
  }

  bool open_ = false;
  int width_ = 0, height_ = 0;
  int mode_ = 1;
  Rect viewport_;
  bool texturing_ = false;
  GLuint bound_texture_ = 0;
  struct Texture {
    GLuint texture = 0;  // made when first drawn from its own texture
    Coverage coverage;
    bool in_atlas = false;
    GlAtlas::Place place;
  };
  std::unordered_map<std::uint64_t, Texture> textures_;
  GlAtlas atlas_;
  GLuint atlas_texture_ = 0;
  Coverage scratch_coverage_;  // the picture without an id last drawn
  const Coverage* bound_coverage_ = nullptr;
  bool blending_ = false;  // GL_BLEND is on
  GLuint scratch_texture_ = 0;
  GLuint saved_frame_texture_ = 0;
  Rect saved_frame_;
  bool keeping_frames_ = false;
  bool drawn_since_present_ = false;
  // Primitives wait here until something they depend on is about to change: the texture or its
  // contents, texturing, blending, the viewport, or the frame being cleared, read or shown.
  GlBatch batch_;
  std::vector<GlVertex> fan_;  // a polygon's corners on their way into the batch
  std::vector<double> corners_;  // a small shape's corners, for its outline
  soft::Outline outline_;
  std::vector<soft::RowSpan> spans_;
  std::vector<Rect> rectangles_;
};

}  // namespace

Renderer* opengl_renderer() {
  // Never destroyed: the exit action that closes the screen may run after static destructors.
  static GlRenderer* renderer = new GlRenderer;
  return renderer;
}

}  // namespace rt
