// Drawing: pictures, rectangles, ovals, lines, points and text in the built-in font.
#pragma once
#include "runtime/text.hpp"

namespace rt {

void draw_image(int image, float x, float y, int frame);
void draw_rect(float x, float y, float w, float h);
void draw_oval(float x, float y, float w, float h);
void draw_line(float x1, float y1, float x2, float y2, int last_pixel);
void plot_point(float x, float y);
void draw_text(const String& text, float x, float y);

// The number of polygon points an oval of this box is drawn with.
int oval_point_count(float w, float h);

}  // namespace rt
