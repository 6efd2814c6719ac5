#include "app/export_source_of.h"

namespace zelvo {

ExportSource ExportSourceOf(const RunState& state) {
  ExportSource source;
  source.cluster = &state.cluster;
  source.results = &state.results;
  // A load keeps no point table: its rows hold the quantity as read.
  const bool loaded = state.points.table.Size() == 0;
  source.pointIds = loaded ? &state.loadedPointIds : &state.points.table.point;
  source.quantityAsRead = loaded ? nullptr : &state.points.table.quantity;
  source.shift = state.points.shift;
  source.searchRadius = state.params.searchRadius;
  source.griddingRadius = state.params.griddingRadius;
  source.threads = state.threads;
  return source;
}

}  // namespace zelvo
