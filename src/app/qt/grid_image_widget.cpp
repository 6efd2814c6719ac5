#include "app/qt/grid_image_widget.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

namespace zelvo {
namespace {

// Room around the picture for its frame.
constexpr int kMargin = 2;

}  // namespace

GridImageWidget::GridImageWidget(RunObserver& observer, QWidget* parent)
    : QWidget(parent), observer_(observer) {
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize GridImageWidget::sizeHint() const { return {560, 440}; }
QSize GridImageWidget::minimumSizeHint() const { return {120, 90}; }

void GridImageWidget::SetNodes(const NodeGrid* nodes) {
  nodes_ = nodes;
  Redraw();
}

void GridImageWidget::Redraw() {
  // Drawn in device pixels, so that a scaled screen shows every node sharply.
  const qreal ratio = devicePixelRatioF();
  const QSize room = (size() - QSize(2 * kMargin, 2 * kMargin)) * ratio;
  drawn_ = nodes_ != nullptr ? DrawGridViewImage(*nodes_, room, observer_) : GridViewImage{};
  drawn_.picture.setDevicePixelRatio(ratio);
  update();
  if (onRedrawn_) onRedrawn_();
}

QRect GridImageWidget::PictureRect() const {
  const QSize shown = (QSizeF(drawn_.picture.size()) / devicePixelRatioF()).toSize();
  return QRect(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

std::optional<NodeIndex> GridImageWidget::NodeAt(QPointF position) const {
  if (nodes_ == nullptr || drawn_.picture.isNull()) return std::nullopt;
  const QPointF inPicture = (position - PictureRect().topLeft()) * devicePixelRatioF();
  return NodeUnderPixel(*nodes_, drawn_.step, drawn_.picture.width(), drawn_.picture.height(),
                        static_cast<int>(std::floor(inPicture.x())),
                        static_cast<int>(std::floor(inPicture.y())));
}

void GridImageWidget::resizeEvent(QResizeEvent* /*event*/) { Redraw(); }

void GridImageWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (drawn_.picture.isNull()) {
    painter.drawText(rect(), Qt::AlignCenter, "No values to show");
    return;
  }
  const QRect picture = PictureRect();
  painter.drawImage(picture.topLeft(), drawn_.picture);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(picture.adjusted(-1, -1, 0, 0));
}

void GridImageWidget::mouseMoveEvent(QMouseEvent* event) {
  if (onHover_) onHover_(NodeAt(event->position()));
}

void GridImageWidget::leaveEvent(QEvent* /*event*/) {
  if (onHover_) onHover_(std::nullopt);
}

}  // namespace zelvo
