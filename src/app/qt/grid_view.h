#pragma once

#include <functional>
#include <optional>

#include <QWidget>

#include "app/control.h"
#include "app/qt/grid_cursor.h"
#include "app/qt/pane_grid.h"

class QLabel;

namespace zelvo {

struct RunState;
class WindowServices;
class ColourBarWidget;
class GridImageWidget;

// A preview pane's variable at the lattice's full resolution in a window of
// its own: the grid coloured as the panes are beside its colour bar, the
// node under the cursor, and buttons that export the grid, a report map or
// the points.
class GridView : public QWidget {
 public:
  // A window of the owner's, deleted when closed.
  GridView(RunState& state, WindowServices& window, Control pane, QWidget* owner);

  Control Pane() const { return pane_; }
  const PaneGrid& Grid() const { return grid_; }
  // Grids the pane's variable afresh from the last run or load.
  void Regrid();

 private:
  QWidget* MakeButtons();
  void ShowScale();
  void ShowNode(std::optional<NodeIndex> node);
  // An export runs on the results the grid came from; while a run replaces
  // them it is refused.
  void RunExport(const std::function<void()>& exportClick);

  RunState& state_;
  WindowServices& window_;
  Control pane_;
  PaneGrid grid_;
  GridImageWidget* image_ = nullptr;
  ColourBarWidget* bar_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace zelvo
