// The window pressed hard while it works (offscreen): buttons hammered during
// a run, Stop at every point, the window closed or a box changed mid-way.
// Nothing may crash or read released tables, and closing saves the settings.

#include <QComboBox>
#include <QTest>
#include <QTimer>

#include "window_fixture.h"

namespace zelvo::testing {
namespace {

class WindowStress : public WindowTest {
 protected:
  // Large enough that the window handles its events many times in a run
  // (it does so at most once per tick).
  static constexpr int kSide = 120;

  void SetUp() override {
    TfrmMain& w = Window();
    input = dir.Write("in.dat", GridPoints(kSide));
    output = dir.File("out.dat");
    w.SetText(Control::txt_in, input);
    w.SetText(Control::txt_out, output);
    w.SetText(Control::txt_radius, "2.5");
  }
  // Runs the action at every turn of the event loop until the window is idle
  // again; the timer belongs to the window and goes with it.
  QTimer* Repeat(std::function<void()> action) {
    auto* timer = new QTimer(&Window());
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, &Window(), std::move(action));
    timer->start();
    return timer;
  }
  int Questions() const {
    int count = 0;
    for (const MessageBoxRequest& box : boxes) count += box.question;
    return count;
  }
  static int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }

  std::string input;
  std::string output;
};

TEST_F(WindowStress, CalcHammeredDuringARunStartsNoSecondOne) {
  TfrmMain& w = Window();
  w.SetText(Control::txt_iter, "3");
  w.SetChecked(Control::cb_preview, true);
  int pressedDuringRun = 0;
  QTimer* timer = Repeat([&] {
    pressedDuringRun += w.Running();
    Click("btn_calc");
  });
  Click("btn_calc");
  timer->stop();
  EXPECT_GT(pressedDuringRun, 1);
  EXPECT_TRUE(boxes.empty()) << boxes[0].text;
  EXPECT_TRUE(w.State().resultsValid);
  EXPECT_EQ(Lines(ReadFile(output)), 2 + kSide * kSide);
}

TEST_F(WindowStress, StopBetweenEveryPointAnsweredNoFinishesTheRun) {
  TfrmMain& w = Window();
  answer = [](const MessageBoxRequest&) { return false; };
  QTimer* timer = Repeat([&] { Click("btn_stop"); });
  Click("btn_calc");
  timer->stop();
  EXPECT_GT(Questions(), 1);
  EXPECT_TRUE(w.State().resultsValid);
  EXPECT_EQ(Lines(ReadFile(output)), 2 + kSide * kSide);
  EXPECT_FALSE(w.State().stopRequested);
}

TEST_F(WindowStress, ClosedDuringAPreviewCancelsAndSaves) {
  TfrmMain& w = Window();
  w.SetChecked(Control::cb_preview, true);
  // Closed at the first turn of the event loop inside the result panes.
  bool closed = false;
  QTimer* timer = Repeat([&] {
    if (closed || w.State().resultsValid == false || !w.Running()) return;
    closed = true;
    w.close();
  });
  Click("btn_calc");
  timer->stop();
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.Running());
  EXPECT_EQ(ReadFile(SettingsPath()).size(), 847u);
}

TEST_F(WindowStress, VariableBoxChangedDuringAPreviewRedrawsSafely) {
  TfrmMain& w = Window();
  w.SetChecked(Control::cb_preview, true);
  int changes = 0;
  QTimer* timer = Repeat([&] {
    if (!w.Running()) return;
    auto* box = Find<QComboBox>("cb2");
    const int index = (box->currentIndex() + 1) % box->count();
    box->setCurrentIndex(index);
    emit box->activated(index);
    ++changes;
  });
  Click("btn_calc");
  timer->stop();
  EXPECT_GT(changes, 0);
  EXPECT_TRUE(w.State().resultsValid);
  EXPECT_FALSE(w.Running());
}

TEST_F(WindowStress, ClosedWithTheGridViewOpenDuringARerun) {
  TfrmMain& w = Window();
  w.SetChecked(Control::cb_preview, true);
  Click("btn_calc");
  ASSERT_TRUE(w.State().resultsValid);
  QWidget* pane = Find("img_regta");
  QTest::mouseDClick(pane, Qt::LeftButton, {}, pane->rect().center());
  ASSERT_NE(Find("grid_img_regta"), nullptr);
  bool closed = false;
  QTimer* timer = Repeat([&] {
    if (closed || !w.Running()) return;
    closed = true;
    w.close();
  });
  Click("btn_calc");
  timer->stop();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(ReadFile(SettingsPath()).size(), 847u);
}

}  // namespace
}  // namespace zelvo::testing
