#pragma once

#include <string>
#include <vector>

#include "app/run_parameters.h"
#include "app/window_items.h"
#include "core/live_choices.h"
#include "core/plane_fit.h"
#include "io/result_table.h"
#include "core/search_cluster.h"
#include "io/point_reader.h"

namespace zelvo {

// All state of the program between commands: the parameters of the last Calc
// and the tables of the last run or load.
struct RunState {
  RunParameters params;
  bool resultsValid = false;
  bool stopRequested = false;
  // A preview was refused (already reported): its pane still shows what it
  // showed before, which a script must not take for the picture.
  bool previewFailed = false;
  // A run or a preview is under way: commands that would replace or read the
  // tables under it are refused.
  bool busy = false;
  int paneWidth = kPaneWidth;
  int paneHeight = kPaneHeight;
  PointSet points;  // with the extent, shift and area centre
  ResultTable results;
  SearchCluster cluster;
  PlaneFit fit;
  std::string loadedFileName;
  // The point identifiers of a loaded result file's records.
  std::vector<double> loadedPointIds;
  // What a run reads at every point; the window's controls when none is set.
  const LiveChoices* choices = nullptr;
  // Threads for the passes whose fits are independent (fixed choices only)
  // and for the gridding of previews.
  int threads = 1;

  // Releasing twice does nothing.
  void ReleaseTables();
};

}  // namespace zelvo
