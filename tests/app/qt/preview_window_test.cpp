// The window's previews: painted by a run, redrawn by the variable boxes,
// saved by the Save buttons and drawn again by Load.

#include <QComboBox>
#include <QTimer>

#include "window_fixture.h"

namespace zelvo::testing {
namespace {

class Previews : public WindowTest {
 protected:
  void SetUp() override {
    TfrmMain& w = Window();
    w.SetText(Control::txt_in, dir.Write("in.dat", GridPoints(30)));
    w.SetText(Control::txt_out, dir.File("out.dat"));
    w.SetText(Control::txt_radius, "2.5");
    w.SetChecked(Control::cb_preview, true);
  }
  std::vector<std::uint32_t> Pixels(Control pane) { return Window().CopyPane(pane).pixels; }
  // Pixels inside the frame that are not white.
  int Painted(Control pane) {
    const PaneBitmap bitmap = Window().CopyPane(pane);
    int painted = 0;
    for (int y = 1; y < bitmap.height - 1; ++y) {
      for (int x = 1; x < bitmap.width - 1; ++x) painted += bitmap.pixels[y * bitmap.width + x] != 0xFFFFFF;
    }
    return painted;
  }
};

TEST_F(Previews, RunPaintsThreePanesAndTheBoxesRedrawThem) {
  TfrmMain& w = Window();
  Click("btn_calc");
  ASSERT_TRUE(boxes.empty()) << boxes[0].text;
  for (Control pane : {Control::img_uba, Control::img_regta, Control::img_delta}) {
    EXPECT_GT(Painted(pane), 100 * 100) << static_cast<int>(pane);
    EXPECT_EQ(Pixels(pane)[0], 0u) << "the frame stays";
  }
  const std::vector<std::uint32_t> hgqx = Pixels(Control::img_regta);
  Find<QComboBox>("cb2")->setCurrentIndex(4);
  emit Find<QComboBox>("cb2")->activated(4);
  EXPECT_NE(Pixels(Control::img_regta), hgqx) << "rq regridded from the results in memory";

  // Stop during the regridding, answered Yes: the pane keeps its picture.
  const std::vector<std::uint32_t> rq = Pixels(Control::img_regta);
  QTimer::singleShot(0, &w, [this] { Click("btn_stop"); });
  w.State().stopRequested = true;
  Find<QComboBox>("cb2")->setCurrentIndex(0);
  emit Find<QComboBox>("cb2")->activated(0);
  EXPECT_EQ(Pixels(Control::img_regta), rq);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "Cancel calculation?");
}

TEST_F(Previews, SaveWritesThePaneByTheChosenFilter) {
  TfrmMain& w = Window();
  Click("btn_save2");
  EXPECT_TRUE(dialogs.empty()) << "no results yet: the button does nothing";
  Click("btn_calc");
  const std::string asBitmap = dir.File("pane.jpg");
  const std::string asJpeg = dir.File("pane.bmp");
  dialogChoices = {FileDialogChoice{asBitmap, 1}, FileDialogChoice{asJpeg, 2}};
  Click("btn_save2");
  Click("btn_save3");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_TRUE(dialogs[0].first) << "the save dialog";
  EXPECT_EQ(dialogs[0].second.fileName, "hgqx_r=2.5_iter=0_object=rga.bmp");
  EXPECT_EQ(dialogs[0].second.filter, "Windows bitmap (*.bmp)|*.bmp|Jpeg files (*.jpg)|*.jpg|PNG files (*.png)|*.png");
  EXPECT_EQ(dialogs[0].second.defaultExtension, "bmp");
  EXPECT_EQ(dialogs[1].second.fileName, "hgqy_r=2.5_iter=0_object=rga.bmp");
  EXPECT_EQ(ReadFile(asBitmap).substr(0, 2), "BM");
  EXPECT_EQ(ReadFile(asJpeg).substr(0, 2), "\xFF\xD8");

  dialogChoices = {FileDialogChoice{dir.File("no/such/folder/pane.bmp"), 1}};
  boxes.clear();
  Click("btn_save1");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Cannot write preview image " + dir.File("no/such/folder/pane.bmp"), 0), 0u);

  w.SetChecked(Control::cb_preview, false);
  dialogs.clear();
  Click("btn_save1");
  EXPECT_TRUE(dialogs.empty()) << "previews off: the button does nothing";
}

TEST_F(Previews, LoadDrawsTheResultFileAgain) {
  TfrmMain& w = Window();
  Click("btn_calc");
  const std::vector<std::uint32_t> ranQuantity = Pixels(Control::img_uba);
  for (Control pane : {Control::img_uba, Control::img_regta, Control::img_delta}) w.ClearPane(pane);
  dialogChoices = {FileDialogChoice{dir.File("out.dat"), 1}};
  Click("btn_load");
  ASSERT_TRUE(boxes.empty()) << boxes[0].text;
  EXPECT_TRUE(w.State().resultsValid);
  EXPECT_EQ(w.Text(Control::txt_in), "");
  EXPECT_EQ(w.Text(Control::txt_out), dir.File("out.dat"));
  EXPECT_EQ(w.Text(Control::txt_radius), "2") << "the header's radius, rounded half to even";
  EXPECT_GT(Painted(Control::img_regta), 100 * 100);
  EXPECT_GT(Painted(Control::img_delta), 100 * 100);
  EXPECT_GT(Painted(Control::img_uba), 100 * 100);
  EXPECT_NE(Pixels(Control::img_uba), ranQuantity) << "gridded with the header's rounded radius";
}

}  // namespace
}  // namespace zelvo::testing
