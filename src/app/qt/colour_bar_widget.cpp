#include "app/qt/colour_bar_widget.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "app/qt/colour_bar_labels.h"
#include "app/qt/qt_text.h"
#include "preview/render_shaded.h"

namespace zelvo {
namespace {

constexpr int kClasses = kClassBoundaries + 1;
constexpr int kBarWidth = 18;
constexpr int kTickLength = 4;
constexpr int kLabelGap = 3;
constexpr int kFinestStride = 5;

}  // namespace

ColourBarWidget::ColourBarWidget(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  setFixedWidth(kBarWidth + kTickLength + kLabelGap);
}

void ColourBarWidget::SetScale(double mean, double sigma) {
  hasScale_ = true;
  mean_ = mean;
  sigma_ = sigma;
  FitWidthToLabels();
  update();
}

void ColourBarWidget::ClearScale() {
  hasScale_ = false;
  update();
}

void ColourBarWidget::SetSpan(int top, int height) {
  spanTop_ = top;
  spanHeight_ = height;
  update();
}

void ColourBarWidget::FitWidthToLabels() {
  int widest = 0;
  for (const ColourBarLabel& label : ColourBarLabels(mean_, sigma_, kFinestStride)) {
    widest = std::max(widest, fontMetrics().horizontalAdvance(ToQt(label.text)));
  }
  setFixedWidth(kBarWidth + kTickLength + kLabelGap + widest + 1);
}

QRect ColourBarWidget::BarRect() const {
  // Half a label's height above and below, so the end labels fit.
  const int margin = fontMetrics().height() / 2 + 1;
  const int top = std::max(spanTop_, margin);
  const int lowest = height() - margin;
  const int bottom = spanHeight_ > 0 ? std::min(spanTop_ + spanHeight_, lowest) : lowest;
  return QRect(0, top, kBarWidth, std::max(bottom - top, kClasses));
}

int ColourBarWidget::BoundaryY(int boundary) const {
  // On whole pixels, so that every class is one flat colour.
  const QRect bar = BarRect();
  const double fromBottom = static_cast<double>(boundary) * bar.height() / kClasses;
  return bar.bottom() + 1 - static_cast<int>(std::lround(fromBottom));
}

void ColourBarWidget::paintEvent(QPaintEvent* /*event*/) {
  if (!hasScale_) return;
  QPainter painter(this);
  PaintClasses(painter);
  PaintLabels(painter);
}

void ColourBarWidget::PaintClasses(QPainter& painter) const {
  const QRect bar = BarRect();
  for (int colourClass = 1; colourClass <= kClasses; ++colourClass) {
    const ScaleColour& colour = ColourScale[colourClass];
    const int top = BoundaryY(colourClass);
    painter.fillRect(bar.left(), top, bar.width(), BoundaryY(colourClass - 1) - top,
                     QColor(colour.red, colour.green, colour.blue));
  }
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(bar.adjusted(0, 0, -1, -1));
}

void ColourBarWidget::PaintLabels(QPainter& painter) const {
  const QRect bar = BarRect();
  const QFontMetrics metrics = fontMetrics();
  const int stride = ColourBarStride(static_cast<double>(bar.height()) / kClasses, metrics.height());
  const int textLeft = bar.right() + 1 + kTickLength + kLabelGap;
  for (const ColourBarLabel& label : ColourBarLabels(mean_, sigma_, stride)) {
    const int y = BoundaryY(label.boundary);
    painter.drawLine(bar.right() + 1, y, bar.right() + kTickLength, y);
    painter.drawText(textLeft, y - metrics.height() / 2, width() - textLeft, metrics.height(),
                     Qt::AlignLeft | Qt::AlignVCenter, ToQt(label.text));
  }
}

}  // namespace zelvo
