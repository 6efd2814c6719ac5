#include "window_fixture.h"

#include <cstdio>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// Under the leak checker: fontconfig keeps a few lookups of the window's font
// for the life of the process; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace zelvo::testing {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "window_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: it would outlive the input devices that QTest made,
  // which static destruction removes first.
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

}  // namespace

WindowTest::WindowTest() { App(); }

WindowTest::~WindowTest() = default;

void WindowTest::MakeWindow(char separator) {
  WindowOptions options;
  options.executablePath = dir.File("zelvo");
  options.decimalSeparator = separator;
  options.programFolderWritable = programFolderWritable;
  options.messageHook = [this](const MessageBoxRequest& request) {
    boxes.push_back(request);
    return answer ? answer(request) : true;
  };
  options.dialogHook = [this](bool save, const FileDialogRequest& request) {
    dialogs.emplace_back(save, request);
    std::optional<FileDialogChoice> choice;
    if (!dialogChoices.empty()) {
      choice = dialogChoices.front();
      dialogChoices.pop_front();
    }
    return choice;
  };
  window_ = std::make_unique<TfrmMain>(std::move(options));
  window_->show();
  window_->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
}

TfrmMain& WindowTest::Window() {
  if (!window_) MakeWindow();
  return *window_;
}

void WindowTest::Type(const char* field, const std::string& text) {
  auto* edit = Find<QLineEdit>(field);
  edit->setFocus(Qt::MouseFocusReason);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, QString::fromStdString(text));
}

bool WindowTest::Leave(const char* field) {
  QWidget* widget = Find(field);
  widget->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(widget, Qt::Key_Tab);
  return QApplication::focusWidget() != widget;
}

std::string WindowTest::Focused() {
  QWidget* widget = QApplication::focusWidget();
  return widget != nullptr ? widget->objectName().toStdString() : std::string();
}

void WindowTest::Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }

std::string GridPoints(int n) {
  std::string text;
  char line[96];
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      std::snprintf(line, sizeof line, "%d %d %d %.4f\n", i, j, j * n + i + 1,
                    0.5 * i + 0.25 * j + 0.01 * i * j);
      text += line;
    }
  }
  return text;
}

}  // namespace zelvo::testing
