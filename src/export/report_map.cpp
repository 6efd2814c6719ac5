#include "export/report_map.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/quiet_observer.h"
#include "base/whole_file.h"
#include "export/map_axes.h"
#include "export/map_canvas.h"
#include "export/map_colour_bar.h"
#include "export/map_layout.h"
#include "preview/render_shaded.h"
#include "preview/resample.h"

namespace zelvo {
namespace {

constexpr int kNarrowestPage = 100;
// Past this a page is no longer a figure, and its buffers no longer small.
constexpr int kLargestPageSide = 8000;
constexpr double kTitleToLabelSize = 1.3;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// Resampling speaks only when memory runs out; the map keeps that message as
// its reason rather than showing it.
class MessageKeeper final : public QuietObserver {
 public:
  void ShowMessage(std::string_view text) override { message_ = text; }

  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

int Refuse(std::string why, std::string& reason) {
  reason = std::move(why);
  return 1;
}

std::string GridProblem(const NodeGrid& nodes, double west, double south) {
  if (nodes.nx <= 0 || nodes.ny <= 0) return "the grid has no nodes";
  if (nodes.values.size() != static_cast<std::size_t>(nodes.nx) * static_cast<std::size_t>(nodes.ny)) {
    return "the grid's values do not fill its nodes";
  }
  if (!(nodes.s > 0.0) || !std::isfinite(nodes.s)) return "the node spacing is not a positive number";
  if (!std::isfinite(west) || !std::isfinite(south)) return "the grid's corner is not a number";
  return {};
}

std::string WidthProblem(int widthPixels) {
  if (widthPixels >= kNarrowestPage && widthPixels <= kLargestPageSide) return {};
  return "the map must be " + std::to_string(kNarrowestPage) + " to " + std::to_string(kLargestPageSide) +
         " pixels wide, not " + std::to_string(widthPixels);
}

Context ContextOn(cairo_surface_t* surface) {
  Context cr(cairo_create(surface), cairo_destroy);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr.get(), options);
  cairo_font_options_destroy(options);
  return cr;
}

// The title's font size: the label size scaled up, and down again as far as
// a long title needs to fit between the page's pads.
double TitleFontSize(cairo_t* cr, const std::string& title, double em, int pageWidth) {
  const double size = kTitleToLabelSize * em;
  UseTitleFont(cr, size);
  const double room = pageWidth - 2.0 * PagePad(em);
  const double width = TextWidth(cr, title);
  return width > room ? size * room / width : size;
}

// The text heights the layout needs, measured on a scratch surface before
// the page's height is known.
struct Fonts {
  TextHeight labels;
  TextHeight title;  // nothing for no title
  double titleSize = 0.0;
};

Fonts MeasureFonts(const std::string& title, double em, int pageWidth) {
  Surface scratch(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1), cairo_surface_destroy);
  Context cr = ContextOn(scratch.get());
  Fonts fonts;
  UseLabelFont(cr.get(), em);
  fonts.labels = FontHeight(cr.get());
  if (!title.empty()) {
    fonts.titleSize = TitleFontSize(cr.get(), title, em, pageWidth);
    UseTitleFont(cr.get(), fonts.titleSize);
    fonts.title = FontHeight(cr.get());
  }
  return fonts;
}

// 0x00BBGGRR at x*height + y, y from the south, onto the page's pixels,
// north up.
void CopyPicture(cairo_surface_t* page, const MapLayout& layout, const PreviewImage& picture) {
  cairo_surface_flush(page);
  unsigned char* data = cairo_image_surface_get_data(page);
  const int stride = cairo_image_surface_get_stride(page);
  const int southRow = layout.mapTop + layout.mapHeight - 1;
  for (int y = 0; y < layout.mapHeight; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(southRow - y) * stride);
    for (int x = 0; x < layout.mapWidth; ++x) {
      const std::uint32_t colour = picture.colours[static_cast<std::size_t>(x) * picture.height + y];
      row[layout.mapLeft + x] = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
    }
  }
  cairo_surface_mark_dirty(page);
}

void DrawTitle(cairo_t* cr, const MapLayout& layout, const std::string& title, double size) {
  if (title.empty()) return;
  UseInk(cr);
  UseTitleFont(cr, size);
  const double half = TextWidth(cr, title) / 2.0;
  // Over the map's middle where it fits, else as near as the page allows.
  const double centre = std::clamp(layout.mapLeft + layout.mapWidth / 2.0, layout.pad + half,
                                   layout.pageWidth - layout.pad - half);
  ShowCentred(cr, title, centre, layout.titleBaseline);
}

// Called by cairo, which cannot take an exception.
cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
  try {
    bytes->insert(bytes->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    return CAIRO_STATUS_NO_MEMORY;
  }
  return CAIRO_STATUS_SUCCESS;
}

int WritePng(const std::string& path, cairo_surface_t* page, std::string& reason) {
  std::vector<unsigned char> png;
  const cairo_status_t status = cairo_surface_write_to_png_stream(page, AppendBytes, &png);
  if (status != CAIRO_STATUS_SUCCESS) return Refuse(cairo_status_to_string(status), reason);
  return WriteWholeFile(path, png.data(), png.size(), reason);
}

}  // namespace

int WriteReportMap(const std::string& path, const NodeGrid& nodes, double west, double south, int widthPixels,
                   const std::string& title, std::string& reason) {
  if (std::string problem = GridProblem(nodes, west, south); !problem.empty()) {
    return Refuse(std::move(problem), reason);
  }
  if (std::string problem = WidthProblem(widthPixels); !problem.empty()) {
    return Refuse(std::move(problem), reason);
  }
  const double em = LabelFontSize(widthPixels);
  const Fonts fonts = MeasureFonts(title, em, widthPixels);
  const int mapWidth = MapWidthOnPage(widthPixels, em, fonts.labels);
  const double mapHeight = std::ceil(static_cast<double>(mapWidth) * nodes.ny / nodes.nx);
  if (mapHeight > kLargestPageSide) {
    return Refuse("the grid is too tall for a map " + std::to_string(widthPixels) + " pixels wide", reason);
  }
  MessageKeeper keeper;
  // A spare row keeps the width, not the height, the one that decides the step.
  PreviewGrid grid;
  if (ResampleToPreview(nodes, mapWidth, static_cast<int>(mapHeight) + 1, keeper, grid) != 0) {
    return Refuse(keeper.message(), reason);
  }
  if (!Drawable(grid)) return Refuse("the grid has nothing to draw at this width", reason);

  const MapLayout layout =
      LayoutReportMap(widthPixels, em, fonts.labels, fonts.title, grid.outNx, grid.outNy);
  Surface page(cairo_image_surface_create(CAIRO_FORMAT_RGB24, layout.pageWidth, layout.pageHeight),
               cairo_surface_destroy);
  if (cairo_surface_status(page.get()) != CAIRO_STATUS_SUCCESS) {
    return Refuse(cairo_status_to_string(cairo_surface_status(page.get())), reason);
  }
  Context cr = ContextOn(page.get());
  cairo_set_source_rgb(cr.get(), 1.0, 1.0, 1.0);
  cairo_paint(cr.get());
  CopyPicture(page.get(), layout, RenderShaded(grid));
  DrawMapAxes(cr.get(), layout, {west, grid.step}, {south, grid.step});
  DrawColourBar(cr.get(), layout, grid.mean, grid.sigma);
  DrawTitle(cr.get(), layout, title, fonts.titleSize);
  cairo_surface_flush(page.get());
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
    return Refuse(cairo_status_to_string(cairo_status(cr.get())), reason);
  }
  return WritePng(path, page.get(), reason);
}

}  // namespace zelvo
