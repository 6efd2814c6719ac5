#include "app/qt/grid_view.h"

#include <exception>
#include <new>

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/qt/colour_bar_widget.h"
#include "app/qt/grid_image_widget.h"
#include "app/qt/grid_view_exports.h"
#include "app/qt/qt_text.h"
#include "app/run_state.h"
#include "app/window_items.h"
#include "app/window_services.h"

namespace zelvo {
namespace {

QString ViewName(Control pane) {
  switch (pane) {
    case Control::img_regta: return "grid_img_regta";
    case Control::img_delta: return "grid_img_delta";
    default: return "grid_img_uba";
  }
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

GridView::GridView(RunState& state, WindowServices& window, Control pane, QWidget* owner)
    : QWidget(owner, Qt::Window), state_(state), window_(window), pane_(pane) {
  setObjectName(ViewName(pane));
  setAttribute(Qt::WA_DeleteOnClose);
  image_ = new GridImageWidget(window, this);
  image_->setObjectName("grid_image");
  bar_ = new ColourBarWidget(this);
  bar_->setObjectName("grid_bar");
  status_ = new QLabel(this);
  status_->setObjectName("grid_status");
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setMinimumHeight(status_->fontMetrics().height() + 4);

  auto* picture = new QHBoxLayout;
  picture->addWidget(image_, 1);
  picture->addWidget(bar_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(picture, 1);
  layout->addWidget(status_);
  layout->addWidget(MakeButtons());

  image_->SetRedrawnHandler([this] { ShowScale(); });
  image_->SetHoverHandler([this](std::optional<NodeIndex> node) { ShowNode(node); });
  Regrid();
}

QWidget* GridView::MakeButtons() {
  auto* row = new QWidget(this);
  QPushButton* grid = MakeButton("btn_export_grid", "Export grid…", row);
  QPushButton* map = MakeButton("btn_report_map", "Report map…", row);
  QPushButton* points = MakeButton("btn_export_points", "Export points…", row);
  connect(grid, &QPushButton::clicked, this,
          [this] { RunExport([this] { ExportGridClick(window_, grid_); }); });
  connect(map, &QPushButton::clicked, this,
          [this] { RunExport([this] { ReportMapClick(window_, grid_); }); });
  connect(points, &QPushButton::clicked, this,
          [this] { RunExport([this] { ExportPointsClick(state_, window_); }); });
  auto* buttons = new QHBoxLayout(row);
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->addWidget(grid);
  buttons->addWidget(map);
  buttons->addWidget(points);
  buttons->addStretch(1);
  return row;
}

void GridView::Regrid() {
  MakePaneGrid(state_, window_, pane_, grid_);
  setWindowTitle(QString("%1 - %2").arg(grid_.variable.name, kApplicationTitle));
  status_->clear();
  image_->SetNodes(&grid_.nodes);
}

void GridView::ShowScale() {
  const GridViewImage& drawn = image_->Drawn();
  if (drawn.picture.isNull()) {
    bar_->ClearScale();
    return;
  }
  bar_->SetScale(drawn.mean, drawn.sigma);
  // The bar shares the picture's row of the layout, top to top.
  const QRect picture = image_->PictureRect();
  bar_->SetSpan(picture.top(), picture.height());
}

void GridView::ShowNode(std::optional<NodeIndex> node) {
  status_->setText(node ? ToQt(NodeReadout(grid_, *node, window_.DecimalSeparator())) : QString());
}

void GridView::RunExport(const std::function<void()>& exportClick) {
  if (state_.busy || !state_.resultsValid) return;
  // Qt cannot carry an exception through its event loop; the user sees it
  // instead and goes on.
  try {
    exportClick();
  } catch (const std::bad_alloc&) {
    window_.ShowMessage("Out of memory");
  } catch (const std::exception& error) {
    window_.ShowMessage(error.what());
  }
}

}  // namespace zelvo
