#include "export/map_canvas.h"

#include <numbers>

namespace zelvo {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans";
// Grey rather than black reads softer; any grey leaves no colour on white.
constexpr double kInkGrey = 0.12;

void UseFont(cairo_t* cr, double size, cairo_font_weight_t weight) {
  cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL, weight);
  cairo_set_font_size(cr, size);
}

}  // namespace

void UseInk(cairo_t* cr) { cairo_set_source_rgb(cr, kInkGrey, kInkGrey, kInkGrey); }

void UseLabelFont(cairo_t* cr, double size) { UseFont(cr, size, CAIRO_FONT_WEIGHT_NORMAL); }

void UseTitleFont(cairo_t* cr, double size) { UseFont(cr, size, CAIRO_FONT_WEIGHT_BOLD); }

TextHeight FontHeight(cairo_t* cr) {
  cairo_font_extents_t extents;
  cairo_font_extents(cr, &extents);
  return {extents.ascent, extents.descent};
}

double TextWidth(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  return extents.x_advance;
}

void ShowCentred(cairo_t* cr, const std::string& text, double x, double baseline) {
  cairo_move_to(cr, x - TextWidth(cr, text) / 2.0, baseline);
  cairo_show_text(cr, text.c_str());
  cairo_new_path(cr);
}

void ShowUpwards(cairo_t* cr, const std::string& text, double baseline, double y) {
  cairo_save(cr);
  cairo_translate(cr, baseline, y);
  cairo_rotate(cr, -std::numbers::pi / 2.0);
  ShowCentred(cr, text, 0.0, 0.0);
  cairo_restore(cr);
}

void FrameOutside(cairo_t* cr, int left, int top, int width, int height, int line) {
  const double half = line / 2.0;
  cairo_rectangle(cr, left - half, top - half, width + line, height + line);
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
}

void Stroke(cairo_t* cr, double x0, double y0, double x1, double y1, int line) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
}

}  // namespace zelvo
