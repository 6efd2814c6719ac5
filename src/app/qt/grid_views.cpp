#include "app/qt/grid_views.h"

#include "app/qt/grid_view.h"
#include "app/run_state.h"

namespace zelvo {
namespace {

std::size_t SlotIndex(Control pane) {
  switch (pane) {
    case Control::img_regta: return 1;
    case Control::img_delta: return 2;
    default: return 0;
  }
}

}  // namespace

GridViews::GridViews(RunState& state, WindowServices& window, QWidget* owner)
    : state_(state), window_(window), owner_(owner) {}

GridViews::~GridViews() {
  // Before the run state they read goes.
  for (QPointer<GridView>& view : views_) delete view.data();
}

bool GridViews::ResultsReadable() const { return state_.resultsValid && !state_.busy; }

QPointer<GridView>& GridViews::Slot(Control pane) { return views_[SlotIndex(pane)]; }

GridView* GridViews::View(Control pane) const { return views_[SlotIndex(pane)].data(); }

void GridViews::Open(Control pane) {
  if (!ResultsReadable()) return;
  QPointer<GridView>& view = Slot(pane);
  if (view.isNull()) view = new GridView(state_, window_, pane, owner_);
  view->show();
  view->raise();
  view->activateWindow();
}

void GridViews::FollowVariable(Control pane) {
  if (GridView* view = View(pane); view != nullptr && ResultsReadable()) view->Regrid();
}

void GridViews::FollowResults() {
  if (state_.busy) return;
  for (QPointer<GridView>& view : views_) {
    if (view.isNull()) continue;
    if (state_.resultsValid) {
      view->Regrid();
      continue;
    }
    view->close();
    view = nullptr;
  }
}

void GridViews::CloseAll() {
  for (QPointer<GridView>& view : views_) {
    if (!view.isNull()) view->close();
    view = nullptr;
  }
}

}  // namespace zelvo
