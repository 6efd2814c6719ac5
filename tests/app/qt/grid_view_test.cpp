// The grid views: a double-click on a preview pane shows its variable at the
// lattice's full resolution, reads the node under the cursor, follows the
// pane and exports what it shows.

#include <cmath>
#include <cstdio>
#include <sstream>

#include <gdal_priv.h>

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "app/export_source_of.h"
#include "app/qt/grid_image_widget.h"
#include "app/qt/grid_view.h"
#include "export/export_source.h"
#include "window_fixture.h"

namespace zelvo::testing {
namespace {

struct Readout {
  double x = 0.0;
  double y = 0.0;
  std::string name;
  std::string value;
};

// "x 3  y 4.5  hgqx 0.51"
Readout ParseReadout(const std::string& text) {
  std::istringstream words(text);
  Readout readout;
  std::string x, y;
  words >> x >> readout.x >> y >> readout.y >> readout.name >> readout.value;
  EXPECT_EQ(x + y, "xy") << text;
  return readout;
}

constexpr double kEast = 500.0;
constexpr double kNorth = 200.0;

// n x n points 1 m apart, their lattice's corner kEast, kNorth (so that no
// easting passes for a northing), on a field whose x gradient is 0.5 +
// 0.01 (y - kNorth).
std::string OffsetGridPoints(int n) {
  std::string text;
  char line[96];
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      std::snprintf(line, sizeof line, "%g %g %d %.4f\n", kEast + i, kNorth + j, j * n + i + 1,
                    0.5 * i + 0.25 * j + 0.01 * i * j);
      text += line;
    }
  }
  return text;
}

class GridViews : public WindowTest {
 protected:
  void SetUp() override {
    TfrmMain& w = Window();
    w.SetText(Control::txt_in, dir.Write("in.dat", OffsetGridPoints(30)));
    w.SetText(Control::txt_out, dir.File("out.dat"));
    w.SetText(Control::txt_radius, "2.5");
    w.SetChecked(Control::cb_preview, true);
  }
  void Run() {
    Click("btn_calc");
    ASSERT_TRUE(boxes.empty()) << boxes[0].text;
  }
  void DoubleClick(const char* pane) {
    QWidget* widget = Find(pane);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, widget->rect().center());
  }
  GridView* View(const char* name) { return dynamic_cast<GridView*>(Find(name)); }
  GridView* OpenView(const char* pane) {
    DoubleClick(pane);
    GridView* view = View((std::string("grid_") + pane).c_str());
    if (view != nullptr) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(view));
    }
    return view;
  }
  // The grid the exports make of the variable, computed apart from the view.
  NodeGrid ExportedGrid(int variableIndex) {
    NodeGrid grid;
    EXPECT_EQ(ExportGrid(ExportSourceOf(Window().State()), kExportVariables[variableIndex], Window(),
                         grid),
              0);
    return grid;
  }
  void SelectInBox(const char* box, int index) {
    Find<QComboBox>(box)->setCurrentIndex(index);
    emit Find<QComboBox>(box)->activated(index);
  }
  void ClickInView(GridView* view, const char* button) {
    QTest::mouseClick(view->findChild<QPushButton*>(button), Qt::LeftButton);
  }
};

TEST_F(GridViews, DoubleClickOpensOneViewAPaneOnlyOnValidResultsAndLeavesThePanesAlone) {
  TfrmMain& w = Window();
  DoubleClick("img_regta");
  EXPECT_EQ(View("grid_img_regta"), nullptr) << "no results yet";
  Run();

  std::vector<PaneBitmap> panes;
  for (Control pane : kPreviewPanes) panes.push_back(w.CopyPane(pane));
  GridView* hgqx = OpenView("img_regta");
  ASSERT_NE(hgqx, nullptr);
  EXPECT_TRUE(hgqx->isVisible());
  EXPECT_TRUE(hgqx->isWindow());
  EXPECT_FALSE(hgqx->isModal());
  EXPECT_EQ(hgqx->windowTitle().toStdString(), "hgqx - Zelvo");
  const NodeGrid expected = ExportedGrid(1);
  EXPECT_EQ(hgqx->Grid().nodes.nx, expected.nx);
  EXPECT_EQ(hgqx->Grid().nodes.ny, expected.ny);
  EXPECT_EQ(hgqx->Grid().nodes.values, expected.values) << "the full lattice, as the exports grid it";
  EXPECT_EQ(hgqx->Grid().west, GridWest(ExportSourceOf(w.State())));

  EXPECT_EQ(OpenView("img_regta"), hgqx) << "raised, not opened twice";
  EXPECT_EQ(OpenView("img_uba")->Grid().variable.name, std::string("quantity"));
  EXPECT_EQ(OpenView("img_delta")->Grid().variable.name, std::string("hgqy"));
  int views = 0;
  for (QWidget* child : w.findChildren<QWidget*>()) views += dynamic_cast<GridView*>(child) != nullptr;
  EXPECT_EQ(views, 3);
  for (std::size_t k = 0; k < panes.size(); ++k) {
    EXPECT_EQ(w.CopyPane(kPreviewPanes[k]).pixels, panes[k].pixels) << "pane " << k + 1;
  }

  hgqx->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(View("grid_img_regta"), nullptr);
  w.State().busy = true;
  DoubleClick("img_regta");
  w.State().busy = false;
  EXPECT_EQ(View("grid_img_regta"), nullptr) << "refused while a run or preview goes on";

  // No view outlives the window, nor keeps the program running after it.
  QPointer<QWidget> delta = View("grid_img_delta");
  w.close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(delta.isNull());
}

TEST_F(GridViews, StatusLineReadsTheNodeUnderTheCursorNorthUp) {
  Run();
  GridView* view = OpenView("img_regta");
  ASSERT_NE(view, nullptr);
  view->resize(900, 760);
  auto* image = dynamic_cast<GridImageWidget*>(view->findChild<QWidget*>("grid_image"));
  auto* status = view->findChild<QLabel*>("grid_status");
  ASSERT_NE(image, nullptr);
  const NodeGrid nodes = ExportedGrid(1);
  const double west = view->Grid().west;
  const double south = view->Grid().south;
  const QRect picture = image->PictureRect();
  const double step = image->Drawn().step;
  ASSERT_GT(picture.width(), 400) << "redrawn to the larger window";
  ASSERT_LT(step, nodes.s / 4);

  const auto hover = [&](int i, int j) {
    const QPoint pixel(static_cast<int>(std::lround(i * nodes.s / step)),
                       picture.height() - 1 - static_cast<int>(std::lround(j * nodes.s / step)));
    QTest::mouseMove(image, picture.topLeft() + pixel);
    return ParseReadout(status->text().toStdString());
  };
  const int i = nodes.nx / 3;
  const int j = 2 * nodes.ny / 3;
  const Readout node = hover(i, j);
  EXPECT_DOUBLE_EQ(node.x, west + i * nodes.s);
  EXPECT_DOUBLE_EQ(node.y, south + j * nodes.s);
  EXPECT_EQ(node.name, "hgqx");
  const float value = nodes.values[static_cast<std::size_t>(i) * nodes.ny + j];
  ASSERT_FALSE(IsBlank(value));
  EXPECT_NEAR(std::stod(node.value), value, 1e-5 * std::fabs(value));
  EXPECT_NEAR(std::stod(node.value), 0.5 + 0.01 * (node.y - kNorth), 0.02);

  // North is up: the top-left pixel lies over the north-west corner.
  QTest::mouseMove(image, picture.topLeft());
  const Readout northWest = ParseReadout(status->text().toStdString());
  QTest::mouseMove(image, picture.bottomLeft());
  const Readout southWest = ParseReadout(status->text().toStdString());
  EXPECT_DOUBLE_EQ(southWest.x, west);
  EXPECT_DOUBLE_EQ(southWest.y, south);
  EXPECT_DOUBLE_EQ(northWest.x, west);
  EXPECT_GE(northWest.y, south + (nodes.ny - 2) * nodes.s);

  QTest::mouseMove(image, QPoint(picture.right() + 2, picture.center().y()));
  EXPECT_EQ(status->text(), "") << "beside the picture";
}

TEST_F(GridViews, ViewFollowsItsVariableBoxAndTheResults) {
  TfrmMain& w = Window();
  Run();
  GridView* pane2 = OpenView("img_regta");
  GridView* pane3 = OpenView("img_delta");
  ASSERT_NE(pane2, nullptr);
  SelectInBox("cb2", 4);
  EXPECT_EQ(pane2->Grid().variable.name, std::string("rq"));
  EXPECT_EQ(pane2->windowTitle().toStdString(), "rq - Zelvo");
  EXPECT_EQ(pane2->Grid().nodes.values, ExportedGrid(5).values);
  EXPECT_EQ(pane3->Grid().variable.name, std::string("hgqy")) << "the other pane's view stays";

  const std::vector<float> before = pane2->Grid().nodes.values;
  w.SetText(Control::txt_radius, "4");
  Run();
  ASSERT_EQ(View("grid_img_regta"), pane2) << "kept open over a new run";
  EXPECT_NE(pane2->Grid().nodes.values, before);
  EXPECT_EQ(pane2->Grid().nodes.values, ExportedGrid(5).values) << "regridded from the new results";

  w.SetText(Control::txt_in, dir.Write("bad.dat", "no numbers here\n"));
  Click("btn_calc");
  ASSERT_FALSE(boxes.empty());
  ASSERT_FALSE(w.State().resultsValid);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(View("grid_img_regta"), nullptr) << "closed with the results it showed";
  EXPECT_EQ(View("grid_img_delta"), nullptr);
}

TEST_F(GridViews, ExportsGoThroughTheWindowsSaveDialog) {
  TfrmMain& w = Window();
  Run();
  GridView* view = OpenView("img_regta");
  ASSERT_NE(view, nullptr);
  const std::string tif = dir.File("grid.tif");
  dialogChoices = {FileDialogChoice{tif, 1}};
  ClickInView(view, "btn_export_grid");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(dialogs[0].first) << "the save dialog";
  EXPECT_EQ(dialogs[0].second.filter,
            "GeoTIFF (*.tif)|*.tif|Surfer ASCII grid (*.grd)|*.grd|Surfer binary grid (*.grd)|*.grd|"
            "ESRI ASCII grid (*.asc)|*.asc|netCDF (*.nc)|*.nc");
  EXPECT_EQ(dialogs[0].second.fileName, "hgqx_r=2.5_iter=0_object=rga.tif");
  EXPECT_EQ(dialogs[0].second.filterIndex, 1);
  ASSERT_TRUE(boxes.empty()) << boxes[0].text;
  EXPECT_EQ(ReadFile(tif).substr(0, 4), std::string("II*\0", 4));

  // Read back: the nodes where the view places them, north up.
  GDALAllRegister();
  GDALDataset* dataset = static_cast<GDALDataset*>(GDALOpen(tif.c_str(), GA_ReadOnly));
  ASSERT_NE(dataset, nullptr);
  const NodeGrid& nodes = view->Grid().nodes;
  EXPECT_EQ(dataset->GetRasterXSize(), nodes.nx);
  EXPECT_EQ(dataset->GetRasterYSize(), nodes.ny);
  double transform[6] = {};
  dataset->GetGeoTransform(transform);
  EXPECT_DOUBLE_EQ(transform[0], view->Grid().west - nodes.s / 2);
  EXPECT_DOUBLE_EQ(transform[3], view->Grid().south + (nodes.ny - 0.5) * nodes.s);
  float northWest = 0.0f;
  EXPECT_EQ(dataset->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 1, 1, &northWest, 1, 1,
                                                GDT_Float32, 0, 0),
            CE_None);
  EXPECT_EQ(northWest, nodes.values[static_cast<std::size_t>(nodes.ny) - 1]);
  GDALClose(dataset);

  // The chosen type decides over the extension the dialog first offered.
  dialogChoices = {FileDialogChoice{dir.File("grid.tif"), 4},
                   FileDialogChoice{dir.File("map.png"), 1},
                   FileDialogChoice{dir.File("points.gpkg"), 2}};
  ClickInView(view, "btn_export_grid");
  ClickInView(view, "btn_report_map");
  ClickInView(view, "btn_export_points");
  ASSERT_TRUE(boxes.empty()) << boxes[0].text;
  ASSERT_EQ(dialogs.size(), 4u);
  EXPECT_EQ(dialogs[2].second.filter, "PNG (*.png)|*.png");
  EXPECT_EQ(dialogs[2].second.fileName, "hgqx_r=2.5_iter=0_object=rga.png");
  EXPECT_EQ(dialogs[3].second.filter, "GeoPackage (*.gpkg)|*.gpkg|CSV (*.csv)|*.csv");
  EXPECT_EQ(dialogs[3].second.fileName, dir.File("out.gpkg"));
  EXPECT_EQ(ReadFile(dir.File("grid.asc")).substr(0, 5), "ncols");
  EXPECT_EQ(ReadFile(dir.File("map.png")).substr(0, 4), "\x89PNG");
  EXPECT_EQ(ReadFile(dir.File("points.csv")).substr(0, 9), "x,y,point");

  const std::string nowhere = dir.File("no/such/folder/grid.tif");
  dialogChoices = {FileDialogChoice{nowhere, 1}};
  ClickInView(view, "btn_export_grid");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Cannot write " + nowhere + ": ", 0), 0u) << boxes[0].text;

  dialogs.clear();
  w.State().busy = true;
  ClickInView(view, "btn_export_points");
  w.State().busy = false;
  EXPECT_TRUE(dialogs.empty()) << "refused while a run replaces the results";
}

}  // namespace
}  // namespace zelvo::testing
