#include "app/qt/pane_grid.h"

#include "app/export_source_of.h"
#include "app/preview_steps.h"
#include "app/run_state.h"
#include "app/window_services.h"
#include "export/export_source.h"

namespace zelvo {
namespace {

ExportVariable ExportVariableOfColumn(int column) {
  for (const ExportVariable& variable : kExportVariables) {
    if (variable.column == column) return variable;
  }
  return kExportVariables[0];
}

}  // namespace

ExportVariable PaneExportVariable(const WindowServices& window, Control pane) {
  switch (pane) {
    case Control::img_regta: return ExportVariableOfColumn(PaneVariable(window, Control::cb2));
    case Control::img_delta: return ExportVariableOfColumn(PaneVariable(window, Control::cb3));
    default: return ExportVariableOfColumn(kColQuantity);
  }
}

int MakePaneGrid(const RunState& state, WindowServices& window, Control pane, PaneGrid& grid) {
  const ExportSource source = ExportSourceOf(state);
  grid.variable = PaneExportVariable(window, pane);
  grid.west = GridWest(source);
  grid.south = GridSouth(source);
  return ExportGrid(source, grid.variable, window, grid.nodes);
}

}  // namespace zelvo
