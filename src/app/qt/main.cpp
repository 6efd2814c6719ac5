// zelvo: the main window.

#include <QApplication>
#include <QStyleFactory>

#include "app/qt/main_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The layout is fixed in pixels; Fusion draws its controls within them on
  // every desktop.
  application.setStyle(QStyleFactory::create("Fusion"));
  zelvo::TfrmMain window;
  window.show();
  return application.exec();
}
