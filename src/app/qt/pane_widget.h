#pragma once

#include <QImage>
#include <QLineEdit>
#include <QWidget>

#include "app/window_services.h"

namespace zelvo {

// A preview pane: an image the logic draws into pixel by pixel, shown 1:1.
class PaneWidget : public QWidget {
 public:
  PaneWidget(int width, int height, QWidget* parent);

  int PaneWidth() const { return image_.width(); }
  int PaneHeight() const { return image_.height(); }
  void Clear();
  void SetPixel(int x, int y, std::uint32_t colour);  // 0x00BBGGRR
  PaneBitmap Copy() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

// The spinner beside txt_iter: steps the whole number in its edit field
// within its range, and keeps no text of its own.
class UpDownWidget : public QWidget {
 public:
  UpDownWidget(QLineEdit* buddy, int minimum, int maximum, QWidget* parent);

  void SetPosition(int position);
  int Position() const { return position_; }
  void Step(int delta);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLineEdit* buddy_;
  int minimum_;
  int maximum_;
  int position_ = 0;
};

}  // namespace zelvo
