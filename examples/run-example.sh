#!/usr/bin/env bash
# Runs the shipped gravity survey through zelvo-batch and says where the
# results are. Usage: examples/run-example.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=examples/out
mkdir -p "$out/grids" "$out/maps"
"$build/src/zelvo-batch" --radius 60 --subset examples/sphere_trace_subset.dat \
  --preview "$out" --image-format jpg \
  --grid-out "$out/grids" --map "$out/maps" --points-out "$out/sphere_survey_points.gpkg" \
  examples/sphere_survey.dat "$out/sphere_survey_out.dat"
echo "Result file: $out/sphere_survey_out.dat"
echo "Trace file:  $out/sphere_survey_out_trace_out.xyz"
echo "Previews:    $out/quantity_r=60_iter=0_object=rga.jpg, $out/hgqx_r=60_iter=0_object=rga.jpg," \
     "$out/hgqy_r=60_iter=0_object=rga.jpg"
echo "Grids:       $out/grids/*.tif (GeoTIFF, one per variable)"
echo "Maps:        $out/maps/*.png"
echo "Points:      $out/sphere_survey_points.gpkg"
