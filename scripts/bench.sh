#!/usr/bin/env bash
# Times our engine and its peers on the same generated survey in one run and
# prints one table: each piece of work, our time, each peer's and the ratio
# peer/ours (above 1: we are faster).
#
# Usage: scripts/bench.sh [--big] [--repeat K] [--build-dir DIR] [--work DIR]
#   --big        also the 10,000,000-point survey at R = 150 on two threads
#   --repeat K   in-process passes: the least of K runs (default 1)
#   --build-dir  Release build of the benchmark programs (default build-bench)
#   --work DIR   generated files go here and are kept; by default a temporary
#                folder that is removed at the end
#
# Our passes (survey_fits) and the kd-tree peer (kdtree_fits) generate the
# points in-process; zelvo-batch and the scipy peer read the files that
# make_survey writes from the same generator, which read back to the same
# doubles. Times are wall clock: on a busy machine repeat and take the least.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
big=0
repeats=1
build=$root/build-bench
work=
while [ $# -gt 0 ]; do
  case $1 in
    --big) big=1 ;;
    --repeat) repeats=$2; shift ;;
    --build-dir) build=$2; shift ;;
    --work) work=$2; shift ;;
    *) sed -n '2,14s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
  esac
  shift
done
if [ -z "$work" ]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-bench.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
export LC_ALL=C  # the decimal separator follows the locale
python=/usr/bin/python3  # Debian's, with numpy and scipy

echo "== building the benchmark programs in $build" >&2
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# A build folder of the user's own keeps its window and tests; a new one
# builds without them.
lean=()
[ -f "$build/CMakeCache.txt" ] || lean=(-DZELVO_BUILD_WINDOW=OFF -DZELVO_BUILD_TESTS=OFF)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${lean[@]}" "${launcher[@]}" \
  >/dev/null
targets=(zelvo-batch make_survey survey_fits preview_bench)
grep -q '^kdtree_fits:' <(ninja -C "$build" -t targets all 2>/dev/null) && targets+=(kdtree_fits)
ninja -C "$build" "${targets[@]}" >&2
batch=$build/src/zelvo-batch
[ -x "$batch" ] || batch=$(find "$build" -name zelvo-batch -type f -perm -u+x | head -1)

results=$work/results.txt  # "SOURCE.KEY VALUE # note" per line
: >"$results"
# record SOURCE: prefixes the "KEY SECONDS # note" lines of a program.
record() { sed -n "s/^\([a-z0-9_]* \)/$1.\1/p" | tee -a "$results" >&2; }
# A step that fails leaves its figures out of the table, not the others.
warn_failed() { echo "bench.sh: $1 failed; its figures are left out" >&2; }

echo "== generating the surveys in $work" >&2
"$build/bench/survey/make_survey" --triples "$work/survey.f64" "$work/survey.dat" >&2
"$build/bench/survey/make_survey" --scattered 1000 --side 1000000 "$work/sparse.dat" >&2
points=$(( $(grep -c '' "$work/survey.dat") - 2 ))
echo "survey.dat: $points points, $(du -m "$work/survey.dat" | cut -f1) MB" >&2

echo "== our passes, one thread" >&2
"$build/bench/survey/survey_fits" --radius 350 --radius 150 --nearest 10 --nearest-radius 350 \
  --rga 350 --repeat "$repeats" | record ours || warn_failed "our passes"

echo "== preview of one variable at R = 350" >&2
"$build/bench/preview/preview_bench" --benchmark_filter='^BM_PreviewVariable/' \
  --benchmark_format=json --benchmark_out="$work/preview.json" >/dev/null \
  || warn_failed preview_bench
"$python" - "$work/preview.json" <<'PY' | record ours || true
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
scale = {"s": 1.0, "ms": 1e-3, "us": 1e-6, "ns": 1e-9}
best = min(r["real_time"] * scale[r["time_unit"]] for r in runs if r.get("run_type") != "aggregate")
print("preview_350 %.4f # preview_bench BM_PreviewVariable, mean of its iterations" % best)
PY

# job NAME ARGS...: one whole zelvo-batch run, its wall time, peak memory and
# exit status recorded as ours.NAME, ours.NAME_kb and ours.NAME_status.
job() {
  local name=$1 status=0
  shift
  /usr/bin/time -f '%e %M' -o "$work/$name.time" "$batch" --quiet "$@" \
    >"$work/$name.stdout" 2>"$work/$name.stderr" || status=$?
  # A failed command's status line comes first.
  read -r seconds kilobytes < <(tail -n 1 "$work/$name.time")
  {
    echo "ours.$name $seconds # zelvo-batch $*"
    echo "ours.${name}_kb $kilobytes # peak resident set"
    echo "ours.${name}_status $status # exit status"
  } | tee -a "$results" >&2
  rm -f "$work/out.dat" "$work/out_trace_out.xyz"
}
threads_option() { "$batch" --help | grep -q -- '--threads' && echo "--threads $1"; }
echo "ours.threads_option $(threads_option 1 | wc -w) # words of the option: 0 when zelvo-batch has no --threads" >>"$results"

echo "== whole zelvo-batch jobs" >&2
# shellcheck disable=SC2046  # the option is two words or none
job job_t1 $(threads_option 1) --radius 350 "$work/survey.dat" "$work/out.dat"
if [ -n "$(threads_option 2)" ]; then
  job job_t2 --threads 2 --radius 350 "$work/survey.dat" "$work/out.dat"
fi
# shellcheck disable=SC2046
job sparse $(threads_option 1) --radius 220 "$work/sparse.dat" "$work/out.dat"
if [ "$big" = 1 ]; then
  "$build/bench/survey/make_survey" --lines 2500 --points-per-line 4000 "$work/big.dat" >&2
  rm -f "$work/out.dat"
  # shellcheck disable=SC2046
  job big_t2 $(threads_option 2) --radius 150 "$work/big.dat" "$work/out.dat"
  rm -f "$work/big.dat"
fi

echo "== peers" >&2
if [ -x "$build/bench/peers/kdtree_fits" ]; then
  "$build/bench/peers/kdtree_fits" --radius 350 --radius 150 --nearest 10 --nearest-radius 350 \
    --threads 1 --threads 2 --repeat "$repeats" | record kdtree || warn_failed kdtree_fits
fi
if "$python" -c 'import scipy' 2>/dev/null; then
  "$python" "$root/bench/peers/scipy_fits.py" "$work/survey.f64" --radius 350 --radius 150 \
    --nearest 10 --nearest-radius 350 --sample 100000 | record scipy || warn_failed scipy_fits.py
fi

echo
"$python" - "$results" "$points" "$(nproc)" "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2)" \
  "$(cut -d' ' -f1-3 /proc/loadavg)" <<'PY'
import sys

values = {}
for line in open(sys.argv[1]):
    key, value = line.split("#")[0].split()
    values[key] = float(value)
points, cores, cpu, load = int(sys.argv[2]), sys.argv[3], sys.argv[4].strip(), sys.argv[5]

def get(key):
    return values.get(key)

def seconds(value):
    return "-" if value is None else "%.2f s" % value

def ratio(peer, ours):
    return "-" if peer is None or not ours else "%.2f" % (peer / ours)

peers = [("kd-tree 1 thr", "kdtree.%s_t1"), ("kd-tree 2 thr", "kdtree.%s_t2"),
         ("scipy", "scipy.%s")]
rows = []
passes = [("radius fits R=350, 1 thread", "radius_350"),
          ("radius fits R=150, 1 thread", "radius_150"),
          ("N-nearest N=10 (R=350), 1 thread", "nearest_10_350")]
for title, key in passes:
    ours = get("ours." + key)
    row = [title, seconds(ours)]
    for _, pattern in peers:
        peer = get(pattern % key)
        row += [seconds(peer), ratio(peer, ours)]
    rows.append(row)

def job_row(title, name):
    time = get("ours." + name)
    if time is None:
        return None
    status = int(get("ours.%s_status" % name))
    kb = get("ours.%s_kb" % name)
    note = "%.0f MB peak" % (kb / 1024)
    if name.startswith("job"):
        note += ", %.0f B/point" % (kb * 1024 / points)
    if get("ours.threads_option") == 0 and name == "big_t2":
        note += ", one thread: no --threads yet"
    if status != 0:
        note += ", FAILED (exit %d)" % status
    return [title, seconds(time)] + ["-"] * (2 * len(peers)) + [note]

first, later = get("ours.rga_first_350"), get("ours.rga_next_350")
blank = ["-"] * (2 * len(peers))
rows.append(["first RGA pass R=350 (keeps neighbours), 1 thread", seconds(first)] + blank)
share = "" if first is None or later is None else "%.0f %% of the first" % (100 * later / first)
rows.append(["further RGA pass R=350, 1 thread", seconds(later)] + blank + [share])
rows.append(["preview of one variable R=350", seconds(get("ours.preview_350"))] + ["-"] * (2 * len(peers)))
for title, name in [("whole job R=350, 1 thread", "job_t1"), ("whole job R=350, 2 threads", "job_t2"),
                    ("10,000,000 points R=150, 2 threads", "big_t2"),
                    ("1,000 points over 1,000 km, R=220", "sparse")]:
    row = job_row(title, name)
    if row:
        rows.append(row)

header = ["work", "ours"]
for name, _ in peers:
    header += [name, "ratio"]
header.append("notes")
rows = [r + [""] * (len(header) - len(r)) for r in rows]
widths = [max(len(str(r[c])) for r in rows + [header]) for c in range(len(header))]
print("%d points; %s, %s cores, load average at the end %s; ratio = peer / ours"
      % (points, cpu, cores, load))
for r in [header] + rows:
    print(" | ".join(str(cell).ljust(w) for cell, w in zip(r, widths)).rstrip())
PY
