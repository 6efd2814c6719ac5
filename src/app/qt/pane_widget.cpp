#include "app/qt/pane_widget.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "base/number_text.h"

namespace zelvo {

PaneWidget::PaneWidget(int width, int height, QWidget* parent)
    : QWidget(parent), image_(width, height, QImage::Format_RGB32) {
  image_.fill(Qt::white);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaneWidget::Clear() {
  // The rectangle's end point is exclusive: the frame is the outermost ring.
  image_.fill(Qt::white);
  QPainter painter(&image_);
  painter.setPen(QPen(Qt::black, 0));
  painter.drawRect(0, 0, image_.width() - 1, image_.height() - 1);
  painter.end();
  update();
}

void PaneWidget::SetPixel(int x, int y, std::uint32_t colour) {
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
  const QRgb rgb = qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = rgb;
  update();
}

PaneBitmap PaneWidget::Copy() const {
  PaneBitmap bitmap{image_.width(), image_.height(), {}};
  bitmap.pixels.reserve(static_cast<std::size_t>(bitmap.width) * bitmap.height);
  for (int y = 0; y < bitmap.height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
    for (int x = 0; x < bitmap.width; ++x) {
      const QRgb p = row[x];
      bitmap.pixels.push_back(static_cast<std::uint32_t>(qRed(p)) |
                              static_cast<std::uint32_t>(qGreen(p)) << 8 |
                              static_cast<std::uint32_t>(qBlue(p)) << 16);
    }
  }
  return bitmap;
}

void PaneWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

UpDownWidget::UpDownWidget(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum) {
  setFocusPolicy(Qt::TabFocus);
}

void UpDownWidget::SetPosition(int position) {
  // Written as given, without a thousands separator: a stored value goes
  // back to the field unchanged and the field's own check judges it.
  position_ = position;
  buddy_->setText(QString::number(position));
}

void UpDownWidget::Step(int delta) {
  // The field may have been typed into since the last step.
  if (const std::optional<std::int32_t> typed = ParseInteger(TrimBlanks(buddy_->text().toStdString()))) {
    position_ = *typed;
  }
  const long long next = std::clamp(static_cast<long long>(position_) + delta,
                                    static_cast<long long>(minimum_),
                                    static_cast<long long>(maximum_));
  SetPosition(static_cast<int>(next));
}

void UpDownWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  QStyleOption option;
  option.initFrom(this);
  const int half = height() / 2;
  const QRect halves[] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
  const QStyle::PrimitiveElement arrows[] = {QStyle::PE_IndicatorArrowUp,
                                             QStyle::PE_IndicatorArrowDown};
  for (int i = 0; i < 2; ++i) {
    option.rect = halves[i];
    style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, this);
    option.rect = halves[i].adjusted(3, 2, -3, -2);
    style()->drawPrimitive(arrows[i], &option, &painter, this);
  }
}

void UpDownWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) return;
  Step(event->position().y() < height() / 2.0 ? 1 : -1);
}

void UpDownWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up) Step(1);
  else if (event->key() == Qt::Key_Down) Step(-1);
  else QWidget::keyPressEvent(event);
}

}  // namespace zelvo
