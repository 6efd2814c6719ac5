#pragma once

#include <functional>
#include <optional>

#include <QWidget>

#include "app/qt/grid_cursor.h"
#include "app/qt/grid_view_image.h"

namespace zelvo {

class RunObserver;

// A node grid drawn as large as the widget allows, centred and framed, and
// drawn afresh whenever the widget's size changes; tells which node the
// cursor is over.
class GridImageWidget : public QWidget {
 public:
  using HoverHandler = std::function<void(std::optional<NodeIndex>)>;

  GridImageWidget(RunObserver& observer, QWidget* parent);

  // The grid stays the caller's and must outlive the widget or the next
  // call; null shows nothing.
  void SetNodes(const NodeGrid* nodes);
  const GridViewImage& Drawn() const { return drawn_; }
  // Where the picture lies, in the widget's coordinates.
  QRect PictureRect() const;
  void SetRedrawnHandler(std::function<void()> handler) { onRedrawn_ = std::move(handler); }
  void SetHoverHandler(HoverHandler handler) { onHover_ = std::move(handler); }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void Redraw();
  std::optional<NodeIndex> NodeAt(QPointF position) const;

  RunObserver& observer_;
  const NodeGrid* nodes_ = nullptr;
  GridViewImage drawn_;
  std::function<void()> onRedrawn_;
  HoverHandler onHover_;
};

}  // namespace zelvo
