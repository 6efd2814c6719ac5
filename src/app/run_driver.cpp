#include "app/run_driver.h"

#include "app/preview_steps.h"
#include "app/run_state.h"
#include "app/window_choices.h"
#include "app/window_services.h"
#include "core/iteration_driver.h"
#include "io/point_reader.h"
#include "io/trace_subset_reader.h"

namespace zelvo {
namespace {

IterationJob MakeIterationJob(RunState& state, const WindowServices& window,
                              const LiveChoices& choices) {
  IterationJob job;
  job.points = &state.points.table;
  job.results = &state.results;
  job.cluster = &state.cluster;
  job.fit = &state.fit;
  job.centre = &state.points.centre;
  job.shift = state.points.shift;
  job.inputFileName = state.params.inputFileName;
  job.resultFileName = state.params.outputFileName;
  job.traceFileName = state.params.traceFileName;
  job.subsetFileName = window.Text(Control::txt_log);
  job.searchRadius = state.params.searchRadius;
  job.iterations = state.params.iterations;
  job.object = state.params.object;
  job.objectText = window.Text(Control::cb_iter);
  job.choices = &choices;
  job.stopRequested = &state.stopRequested;
  job.threads = state.threads;
  return job;
}

int RunSteps(RunState& state, WindowServices& window) {
  state.resultsValid = false;
  state.previewFailed = false;
  state.ReleaseTables();
  window.SetProgressPosition(0);
  for (Control pane : kPreviewPanes) window.ClearPane(pane);
  window.ProcessMessages();
  const char separator = window.DecimalSeparator();
  if (ReadPointFile(state.params.inputFileName, state.params.columns, separator, window,
                    state.points, state.results, [] {}, state.threads) != 0) {
    return 1;
  }
  const std::string subsetFileName = window.Text(Control::txt_log);
  if (!subsetFileName.empty() &&
      ReadTraceSubset(subsetFileName, state.params.columns, separator, window,
                      state.points.table) != 0) {
    return 1;
  }
  if (BuildSearchCluster(state, window) != 0) return 1;
  if (window.Checked(Control::cb_preview)) {
    PreviewIntoPane(state, window, kColQuantity, Control::img_uba);
    if (state.stopRequested) return 1;
  }
  const WindowChoices windowChoices(window);
  IterationJob job = MakeIterationJob(state, window, state.choices ? *state.choices : windowChoices);
  if (RunIterations(job, window) != 0) return 1;
  state.resultsValid = true;
  if (window.Checked(Control::cb_preview) && !PreviewResultPanes(state, window)) return 1;
  return 0;
}

}  // namespace

int BuildSearchCluster(RunState& state, WindowServices& window) {
  const ResultTable& rows = state.results;
  const DataExtent& extent = state.points.extent;
  const int built = state.cluster.Build(rows.Column(kColX), rows.Column(kColY), rows.Size(),
                                       state.params.cellSize, extent.xmin, extent.xmax,
                                       extent.ymin, extent.ymax, DefaultLatticeBudget());
  if (built == kLatticeBuilt) return 0;
  // Points outside the extent measured by the reader can only come from a
  // file that changed between its passes.
  window.ShowMessage(built == kPointOutsideLattice ? kInputChangedMessage : kClusterMemoryMessage);
  return 1;
}

int RunCalculation(RunState& state, WindowServices& window) {
  const int status = RunSteps(state, window);
  state.stopRequested = false;
  return status;
}

}  // namespace zelvo
