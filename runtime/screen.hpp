// Screen: renderer selection, opening and presenting the display, and the drawing state.
#pragma once
#include "runtime/renderer.hpp"

namespace rt {

Renderer* d3d7_renderer_2d();
Renderer* gl_renderer_2d();
void select_graphics_driver(Renderer* renderer, int default_flags);
// Result nonzero when the screen opened.
int open_screen(int width, int height, int depth, int hertz, int flags);
void close_screen();
void present_frame(int sync);
// The frame drawn so far goes to the renderer's back-end, which may start on it (the frame timer's
// wait gives it the time).
void flush_frame();
void clear_frame();
void hide_pointer();

void set_draw_colour(int r, int g, int b);
void set_alpha(float alpha);
void set_blend_mode(int mode);
void set_rotation(float degrees);
void set_scale(float sx, float sy);
void set_auto_centre_handle(int enable);

// The drawing state as the drawing operations and the overlap test read it.
struct DrawState {
  int r = 255, g = 255, b = 255;
  float alpha = 1.0f;
  int blend_mode = 1;
  float rotation = 0.0f;
  float sx = 1.0f, sy = 1.0f;
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;
  float origin_x = 0.0f, origin_y = 0.0f;
  float handle_x = 0.0f, handle_y = 0.0f;
  int auto_centre = 0;
  int mask_r = 0, mask_g = 0, mask_b = 0;
  int default_image_flags = 3;
};
const DrawState& draw_state();
// The colour and vertex alpha a drawing call uses now (clamped, alpha as trunc(alpha x 255)).
Colour current_colour();

// The renderer to draw with. With no screen open this ends the program with a message saying why.
Renderer& renderer_for_drawing();

// Pacing as chosen at the last open (tests and diagnostics).
enum class Pacing { Hardware, Software };
Pacing current_pacing();

}  // namespace rt
