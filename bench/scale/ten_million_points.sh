#!/usr/bin/env bash
# A run over 10,002,000 points (3000 survey lines 100 m apart, a station
# every 10 m, jittered by up to 1 m) at R = 150, with its peak memory:
#   bench/scale/ten_million_points.sh ZELVO-BATCH [WORK-DIR]
# Prints the wall time, the peak resident memory and the bytes per point.
set -euo pipefail
batch=$1
work=${2:-$(mktemp -d)}
survey=$work/survey10m.dat
if [ ! -s "$survey" ]; then
  awk 'BEGIN {
    srand(7); id = 1
    for (i = 0; i < 3000; i++) {
      for (j = 0; j < 3334; j++) {
        x = j * 10 + 2 * rand() - 1; y = i * 100 + 2 * rand() - 1
        q = 5 * exp(-((x - 16000) ^ 2 + (y - 150000) ^ 2) / 2e8) + 0.01 * (2 * rand() - 1)
        printf "%.2f %.2f %d %.5f\n", x, y, id++, q
      }
    }
  }' >"$survey"
fi
points=$(wc -l <"$survey")
/usr/bin/time -v "$batch" -q --radius 150 "$survey" "$work/out.dat" 2>"$work/time.txt"
peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt")
echo "points: $points"
echo "wall time: $wall"
echo "peak resident memory: $((peak_kb / 1024)) MiB"
echo "bytes per point: $((peak_kb * 1024 / points))"
