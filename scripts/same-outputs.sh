#!/usr/bin/env bash
# Runs two builds of zelvo-batch on the same cases and checks that they write
# byte-identical files (result, trace, previews, --info text) and exit alike.
# Usage: scripts/same-outputs.sh OLD_ZELVO_BATCH NEW_ZELVO_BATCH [WORKDIR]
# Each build writes into WORKDIR/old/CASE and WORKDIR/new/CASE (stderr, which
# carries a timing, goes beside the folder as CASE.stderr and is not compared).
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: scripts/same-outputs.sh OLD_ZELVO_BATCH NEW_ZELVO_BATCH [WORKDIR]" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
examples=$(cd "$(dirname "$0")/../examples" && pwd)
work=${3:-$(mktemp -d)}
mkdir -p "$work"
work=$(cd "$work" && pwd)
export LC_ALL=C  # the decimal separator follows the locale
echo "work folder: $work"

# 250 east-west lines 40 m apart, a station every ~10 m with a little jitter,
# centred on the origin so that the reader shifts both axes; a smooth field
# plus noise. The subset lists 20 stations spread over the survey.
python3 - "$work" <<'EOF'
import math, random, sys
rng = random.Random(20240611)
with open(sys.argv[1] + "/survey.dat", "w") as f:
    f.write("/ synthetic survey: 250 lines x 400 stations\n")
    for line in range(250):
        for station in range(400):
            x = -2000.0 + 10.0 * station + rng.uniform(-1.5, 1.5)
            y = -5000.0 + 40.0 * line + rng.uniform(-2.0, 2.0)
            q = (12.0 * math.exp(-((x - 300.0) ** 2 + (y + 800.0) ** 2) / 2.0e6)
                 + 0.002 * x - 0.001 * y
                 + 3.0 * math.sin(x / 900.0) * math.cos(y / 1300.0)
                 + rng.gauss(0.0, 0.05))
            f.write("%.2f %.2f %d %.4f\n" % (x, y, 100000 + 1000 * line + station, q))
with open(sys.argv[1] + "/subset.dat", "w") as f:
    for k in range(20):
        f.write("0 0 %d 0\n" % (100000 + 1000 * (5 + 12 * k) + 17 + 19 * k))
EOF
survey=$work/survey.dat
subset=$work/subset.dat

passed=0
failed=0

# check NAME ARGS...: runs both builds with ARGS from inside their own folder
# for NAME (so "out.dat" and "." name it), stdout kept as a file there, and
# compares exit codes and every file either build wrote.
check() {
  local name=$1 side bin rc
  shift
  for side in old new; do
    if [ "$side" = old ]; then bin=$old; else bin=$new; fi
    rm -rf "${work:?}/$side/$name"
    mkdir -p "$work/$side/$name"
    rc=0
    (cd "$work/$side/$name" && "$bin" "$@" >stdout 2>"../$name.stderr") || rc=$?
    echo "$rc" >"$work/$side/$name.rc"
  done
  local o=$work/old/$name n=$work/new/$name what="" f
  if ! cmp -s "$o.rc" "$n.rc"; then
    what="exit code $(cat "$o.rc") vs $(cat "$n.rc")"
  else
    while read -r f; do
      if ! cmp -s "$o/$f" "$n/$f"; then what=$f; break; fi
    done < <( (cd "$o" && find . -type f; cd "$n" && find . -type f) | sed 's|^\./||' | sort -u)
  fi
  if [ -z "$what" ]; then
    rc=$(cat "$o.rc")
    echo "same  $name$([ "$rc" = 0 ] || echo " (both exit $rc)")"
    passed=$((passed + 1))
  else
    echo "DIFFERENT $name: $what"
    failed=$((failed + 1))
  fi
}

ex=(--quiet --radius 60 --subset "$examples/sphere_trace_subset.dat" --preview .
    "$examples/sphere_survey.dat" out.dat)
check example-bmp "${ex[@]}"
check example-jpg "${ex[@]}" --image-format jpg

big=(--quiet --radius 120)
check rga-iter3 "${big[@]}" --iterations 3 --object RGA "$survey" out.dat
check lga-iter2 "${big[@]}" --iterations 2 --object LGA "$survey" out.dat
check nearest12 "${big[@]}" --nearest 12 "$survey" out.dat
check center-none-area-point "${big[@]}" --center-x none --center-y area --center-q point \
  "$survey" out.dat
check center-area-point-none "${big[@]}" --center-x area --center-y point --center-q none \
  "$survey" out.dat
check center-point-none-area "${big[@]}" --center-x point --center-y none --center-q area \
  "$survey" out.dat
check include-point "${big[@]}" --include-point "$survey" out.dat
check subset "${big[@]}" --iterations 2 --subset "$subset" "$survey" out.dat
check preview-hgq-RQ "${big[@]}" --preview . --pane2 HGQ --pane3 RQ "$survey" out.dat
# Both builds draw the same result file, the one the old build just wrote.
check load-hgq-rq --quiet --load "$work/old/preview-hgq-RQ/out.dat" --preview . \
  --pane2 HGQ --pane3 rq
check info --info --subset "$subset" "$survey"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
