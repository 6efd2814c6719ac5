#pragma once

#include <QWidget>

namespace zelvo {

// The 40 colour classes of the preview scale stacked low (bottom) to high
// (top), the values where classes meet labelled on the right.
class ColourBarWidget : public QWidget {
 public:
  explicit ColourBarWidget(QWidget* parent);

  // The mean and sigma the colours were classed with; the bar is empty
  // until it has them.
  void SetScale(double mean, double sigma);
  void ClearScale();
  // The rows the classes take, to stand as high as the picture beside them;
  // kept within the room the end labels need.
  void SetSpan(int top, int height);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect BarRect() const;
  int BoundaryY(int boundary) const;  // 0 .. 40, from the bottom
  void PaintClasses(QPainter& painter) const;
  void PaintLabels(QPainter& painter) const;
  // As wide as the widest label the scale can have at any stride.
  void FitWidthToLabels();

  int spanTop_ = 0;
  int spanHeight_ = 0;  // 0: the widget's whole height
  bool hasScale_ = false;
  double mean_ = 0.0;
  double sigma_ = 1.0;
};

}  // namespace zelvo
