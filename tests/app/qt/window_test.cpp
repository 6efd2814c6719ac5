#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/qt/pane_widget.h"
#include "core/iteration_driver.h"
#include "window_fixture.h"

namespace zelvo::testing {
namespace {

using MainWindow = WindowTest;

TEST_F(MainWindow, ControlsAtTheirPlacesWithCaptionsAndDefaults) {
  TfrmMain& w = Window();
  EXPECT_EQ(w.windowTitle(), "Zelvo");
  EXPECT_EQ(w.size(), QSize(565, 585));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  struct Place { const char* name; QRect rect; };
  const Place places[] = {
      {"txt_in", {184, 8, 337, 21}},      {"btn_in", {528, 8, 25, 21}},
      {"GroupBox2", {17, 32, 505, 41}},   {"cmb_gz", {449, 17, 41, 21}},
      {"txt_log", {184, 79, 340, 21}},    {"chb_cpin", {16, 110, 185, 17}},
      {"txt_out", {181, 130, 343, 21}},   {"btn_out", {530, 130, 25, 21}},
      {"txt_radius", {181, 157, 90, 21}}, {"txt_n", {400, 160, 50, 21}},
      {"Image1", {456, 157, 101, 101}},   {"UpDown1", {254, 184, 17, 21}},
      {"rg_nearest", {348, 187, 102, 73}}, {"cb_iter", {181, 208, 90, 21}},
      {"cmb_centerz", {181, 291, 161, 21}}, {"ProgressBar1", {181, 352, 376, 17}},
      {"txt_nearest", {228, 376, 89, 21}}, {"btn_stop", {484, 376, 73, 25}},
      {"btn_exit", {484, 376, 73, 25}},   {"cb1", {8, 407, 89, 21}},
      {"btn_save3", {516, 408, 41, 21}},  {"img_delta", {380, 432, 177, 145}},
  };
  for (const Place& place : places) {
    QWidget* widget = Find(place.name);
    ASSERT_NE(widget, nullptr) << place.name;
    EXPECT_EQ(widget->geometry(), place.rect) << place.name;
  }
  EXPECT_EQ(Find<QPushButton>("btn_save2")->text(), "S&ave");
  EXPECT_EQ(Find<QLineEdit>("txt_out")->toolTip(),
            "(x, y, point, h, cba, xgg, ygg, hgg,vgg, regta, delta, A(x,z) )");
  EXPECT_EQ(Find<QLineEdit>("txt_n")->text(), "10");
  EXPECT_EQ(Find<QComboBox>("cmb_point")->currentText(), "C");
  EXPECT_EQ(Find<QComboBox>("cmb_centerx")->currentText(), "Center to point of calc");
  EXPECT_EQ(Find<QComboBox>("cmb_centerz")->currentText(), "Not center");
  EXPECT_EQ(Find<QComboBox>("cb3")->currentText(), "HGQY");
  EXPECT_EQ(w.ItemIndex(Control::rg_nearest), 0);
  EXPECT_FALSE(Find("cb_iter")->isEnabled());
  EXPECT_FALSE(Find("cb1")->isEnabled());
  EXPECT_TRUE(Find("btn_exit")->isVisible());
  EXPECT_FALSE(Find("btn_stop")->isVisible());
  // The panes start cleared: a black ring, white inside.
  const PaneBitmap pane = w.CopyPane(Control::img_regta);
  ASSERT_EQ(pane.width * pane.height, 177 * 145);
  EXPECT_EQ(pane.pixels[0], 0x000000u);
  EXPECT_EQ(pane.pixels[176], 0x000000u);
  EXPECT_EQ(pane.pixels[144 * 177 + 176], 0x000000u);
  EXPECT_EQ(pane.pixels[1 * 177 + 1], 0xFFFFFFu);
  EXPECT_EQ(pane.pixels[143 * 177 + 175], 0xFFFFFFu);
}

TEST_F(MainWindow, EveryCaptionIsFullyReadable) {
  // A label must end before the control that follows it on its row.
  TfrmMain& w = Window();
  for (QLabel* label : w.findChildren<QLabel*>()) {
    if (label->text().isEmpty()) continue;
    const QRect shown = label->geometry();
    EXPECT_GE(shown.width(), label->sizeHint().width()) << label->text().toStdString();
    for (QWidget* other : label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (other == label || !other->isVisibleTo(&w)) continue;
      EXPECT_FALSE(shown.intersects(other->geometry()))
          << label->text().toStdString() << " runs into " << other->objectName().toStdString();
    }
  }
  for (const char* name : {"chb_cpin", "cb_preview"}) {
    auto* box = Find<QCheckBox>(name);
    EXPECT_GE(box->width(), box->sizeHint().width()) << name;
  }
  for (QComboBox* list : w.findChildren<QComboBox*>()) {
    for (int i = 0; i < list->count(); ++i) {
      const int needed = QFontMetrics(list->font()).horizontalAdvance(list->itemText(i));
      EXPECT_LE(needed, list->width() - 22) << list->itemText(i).toStdString();
    }
  }
}

TEST_F(MainWindow, TabOrderFollowsTheForm) {
  TfrmMain& w = Window();
  const char* const order[] = {
      "txt_in", "btn_in", "cmb_gx", "cmb_gy", "cmb_gz", "cmb_point", "txt_log", "btn_log",
      "txt_out", "btn_out", "txt_radius", "txt_iter", "UpDown1", "cmb_centerx", "cmb_centery",
      "cmb_centerz", "cb_preview", "txt_nearest", "btn_load", "btn_calc", "btn_exit",
      "btn_save1", "cb2", "btn_save2", "cb3", "btn_save3", "txt_n", "rg_nearest_0", "chb_cpin"};
  std::vector<std::string> seen;
  Find("txt_in")->setFocus(Qt::TabFocusReason);
  for (std::size_t i = 0; i < std::size(order); ++i) {
    seen.push_back(Focused());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(seen, std::vector<std::string>(std::begin(order), std::end(order)));
  (void)w;
}

TEST_F(MainWindow, FileButtonsFillTheirFields) {
  TfrmMain& w = Window();
  Type("txt_out", "kept.dat");
  dialogChoices.push_back(std::nullopt);
  Click("btn_in");
  EXPECT_EQ(w.Text(Control::txt_out), "kept.dat");  // cancelled: nothing changes
  dialogChoices.push_back(FileDialogChoice{"/d/m/survey.dat", 2});
  Click("btn_in");
  EXPECT_EQ(w.Text(Control::txt_in), "/d/m/survey.dat");
  EXPECT_EQ(w.Text(Control::txt_out), "/d/m/survey_out.dat");
  dialogChoices.push_back(FileDialogChoice{"/d/m/sub.xyz", 1});
  Click("btn_log");
  dialogChoices.push_back(FileDialogChoice{"/d/r/res.xyz", 2});
  Click("btn_out");
  EXPECT_EQ(w.Text(Control::txt_in), "/d/m/survey.dat");
  EXPECT_EQ(w.Text(Control::txt_log), "/d/m/sub.xyz");
  EXPECT_EQ(w.Text(Control::txt_out), "/d/r/res.xyz");
  ASSERT_EQ(dialogs.size(), 4u);
  EXPECT_FALSE(dialogs[1].first);
  EXPECT_EQ(dialogs[1].second.filter,
            "Surfer DAT files (*.dat)|*.dat|Geosoft XYZ files(*.xyz)|*.xyz|All files (*.*)|*.*");
  EXPECT_EQ(dialogs[1].second.defaultExtension, "dat");
  EXPECT_EQ(dialogs[1].second.fileName, "");
  EXPECT_EQ(dialogs[2].second.filterIndex, 2);  // the open dialog keeps its file type
  EXPECT_TRUE(dialogs[3].first);
  EXPECT_EQ(dialogs[3].second.filter,
            "Surfer DAT files (*.dat)|*.dat|Geosoft XYZ files (*.xyz)|*.xyz|All files (*.*)|*.*");
  EXPECT_EQ(dialogs[3].second.fileName, "/d/m/survey_out.dat");
  EXPECT_EQ(dialogs[3].second.filterIndex, 1);
}

TEST_F(MainWindow, LeavingANumberFieldChecksIt) {
  Window();
  struct Case { const char* field; const char* text; const char* message; };
  const Case cases[] = {
      {"txt_radius", "abc", "abc Is not a number"},
      {"txt_radius", "", "Parameter is required"},
      {"txt_radius", "2,5", "2,5 Is not a number"},
      {"txt_radius", "-3", nullptr},
      {"txt_nearest", "1e", "1e Is not a number"},
      {"txt_nearest", "0.5", nullptr},
      {"txt_iter", "10001", "Number of iteration must be in range 0 .. 10000"},
      {"txt_iter", "-1", "Number of iteration must be in range 0 .. 10000"},
      {"txt_iter", "1.5", "1.5 Is not a number"},
      {"txt_iter", "", "Parameter is required"},
      {"txt_iter", "10000", nullptr},
      {"txt_n", "abc", nullptr},
  };
  for (const Case& c : cases) {
    boxes.clear();
    Type(c.field, c.text);
    const bool left = Leave(c.field);
    if (c.message == nullptr) {
      EXPECT_TRUE(left) << c.field << " " << c.text;
      EXPECT_TRUE(boxes.empty()) << c.field << " " << c.text;
      continue;
    }
    EXPECT_FALSE(left) << c.field << " " << c.text;
    EXPECT_EQ(Focused(), c.field);
    ASSERT_EQ(boxes.size(), 1u) << c.field << " " << c.text;
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_FALSE(boxes[0].question);
  }
}

TEST_F(MainWindow, CommaLocaleNumbers) {
  MakeWindow(',');
  Type("txt_radius", "2,5");
  EXPECT_TRUE(Leave("txt_radius"));
  Type("txt_radius", "2.5");
  EXPECT_FALSE(Leave("txt_radius"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "2.5 Is not a number");
}

TEST_F(MainWindow, SpinnerStepsTheTypedCountWithinItsRange) {
  TfrmMain& w = Window();
  auto* spinner = Find<UpDownWidget>("UpDown1");
  Type("txt_iter", "9999");
  spinner->Step(1);
  spinner->Step(1);
  EXPECT_EQ(w.Text(Control::txt_iter), "10000");
  Type("txt_iter", "1");
  QTest::mouseClick(spinner, Qt::LeftButton, {}, QPoint(8, 17));  // lower half
  QTest::mouseClick(spinner, Qt::LeftButton, {}, QPoint(8, 17));
  EXPECT_EQ(w.Text(Control::txt_iter), "0");
}

class Run : public WindowTest {
 protected:
  void SetUp() override {
    TfrmMain& w = Window();
    input = dir.Write("in.dat", GridPoints(30));
    output = dir.File("out.dat");
    w.SetText(Control::txt_in, input);
    w.SetText(Control::txt_out, output);
    w.SetText(Control::txt_radius, "2.5");
  }

  // Presses the button at the first message processing of the run.
  void PressDuringRun(const char* button) {
    QTimer::singleShot(0, &Window(), [this, button] {
      runningWhenPressed = Window().Running();
      stopShownWhenPressed = Find("btn_stop")->isVisible();
      calcEnabledWhenPressed = Find("btn_calc")->isEnabled();
      Click(button);
    });
  }

  std::vector<std::string> Questions() const {
    std::vector<std::string> texts;
    for (const MessageBoxRequest& box : boxes) {
      if (box.question) texts.push_back(box.caption + ": " + box.text);
    }
    return texts;
  }

  void ExpectIdle() {
    EXPECT_FALSE(Window().Running());
    EXPECT_TRUE(Find("btn_calc")->isEnabled());
    EXPECT_TRUE(Find("btn_exit")->isVisible());
    EXPECT_FALSE(Find("btn_stop")->isVisible());
    EXPECT_FALSE(Window().State().stopRequested);
  }

  static int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }

  std::string input;
  std::string output;
  bool runningWhenPressed = false;
  bool stopShownWhenPressed = false;
  bool calcEnabledWhenPressed = true;
};

TEST_F(Run, CalcWritesTheResultFile) {
  TfrmMain& w = Window();
  w.SetPanePixel(Control::img_uba, 5, 5, 0x0000FF);
  Click("btn_calc");
  EXPECT_TRUE(boxes.empty()) << boxes[0].text;
  EXPECT_TRUE(w.State().resultsValid);
  const std::string written = ReadFile(output);
  EXPECT_EQ(Lines(written), 2 + 900);
  EXPECT_NE(written.find("in.dat"), std::string::npos);
  ExpectIdle();
  // The bar keeps the last position of the run (of the point 800 of 900).
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->maximum(), 10000);
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), ProgressPosition(0, 800, 900, 0));
  // The run cleared the panes.
  EXPECT_EQ(w.CopyPane(Control::img_uba).pixels[5 * 177 + 5], 0xFFFFFFu);
}

TEST_F(Run, CalcRefusalsShowTheirMessageAndFocus) {
  TfrmMain& w = Window();
  w.SetText(Control::txt_out, input);
  Click("btn_calc");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Zelvo");
  EXPECT_EQ(boxes[0].text, "Input and output file name must not be the same.");
  EXPECT_EQ(Focused(), "txt_out");
  // A conversion that no check catches: the standard message, the window goes on.
  boxes.clear();
  w.SetText(Control::txt_out, output);
  w.SetText(Control::txt_nearest, "x");
  Click("btn_calc");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "'x' is not a valid floating point value");
  ExpectIdle();
}

TEST_F(Run, StopAnsweredNoGoesOnAndYesEnds) {
  TfrmMain& w = Window();
  w.SetText(Control::txt_iter, "40");
  answer = [](const MessageBoxRequest&) { return false; };
  PressDuringRun("btn_stop");
  QTimer::singleShot(0, &w, [&w] { w.btn_calcClick(); });  // refused: no nested run
  Click("btn_calc");
  EXPECT_TRUE(runningWhenPressed);
  EXPECT_TRUE(stopShownWhenPressed);
  EXPECT_FALSE(calcEnabledWhenPressed);
  EXPECT_EQ(Questions(), std::vector<std::string>{"Warning: Cancel calculation?"});
  EXPECT_TRUE(w.State().resultsValid);
  EXPECT_EQ(Lines(ReadFile(output)), 2 + 900);
  ExpectIdle();

  boxes.clear();
  answer = nullptr;  // Yes
  PressDuringRun("btn_stop");
  Click("btn_calc");
  EXPECT_EQ(Questions(), std::vector<std::string>{"Warning: Cancel calculation?"});
  EXPECT_FALSE(w.State().resultsValid);
  EXPECT_LT(Lines(ReadFile(output)), 2 + 900);
  ExpectIdle();
}

TEST_F(Run, ClosingDuringARunCancelsItAndSaves) {
  TfrmMain& w = Window();
  w.SetText(Control::txt_iter, "40");
  QTimer::singleShot(0, &w, [&] { w.close(); });
  Click("btn_calc");
  EXPECT_TRUE(Questions().empty());
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.State().resultsValid);
  EXPECT_EQ(w.State().results.Size(), 0);
  EXPECT_EQ(ReadFile(SettingsPath()).size(), 847u);
  // The result file was closed: it can be read whole.
  EXPECT_LT(Lines(ReadFile(output)), 2 + 900);
}

}  // namespace
}  // namespace zelvo::testing
