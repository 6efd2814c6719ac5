#pragma once

#include <array>

#include <QPointer>

#include "app/control.h"

class QWidget;

namespace zelvo {

struct RunState;
class WindowServices;
class GridView;

// The grid views of the three preview panes, at most one a pane, windows of
// the main window's. They follow their panes: a view shows the variable its
// pane's box selects and the results of the last run or load.
class GridViews {
 public:
  GridViews(RunState& state, WindowServices& window, QWidget* owner);
  ~GridViews();
  GridViews(const GridViews&) = delete;
  GridViews& operator=(const GridViews&) = delete;

  // Opens the pane's view, or brings it to the front when it is open. Only
  // on valid results that no run or preview is replacing.
  void Open(Control pane);
  // The pane's variable box changed: its open view shows the new choice.
  void FollowVariable(Control pane);
  // After a run or a load: open views show the new results, or close when
  // there are none.
  void FollowResults();
  void CloseAll();
  // The pane's open view; null when none.
  GridView* View(Control pane) const;

 private:
  bool ResultsReadable() const;
  QPointer<GridView>& Slot(Control pane);

  RunState& state_;
  WindowServices& window_;
  QWidget* owner_;
  std::array<QPointer<GridView>, 3> views_;
};

}  // namespace zelvo
