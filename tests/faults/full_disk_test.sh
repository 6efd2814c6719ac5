#!/usr/bin/env bash
# Every writer of zelvo-batch on a full disk: the result and trace files on
# /dev/full, and every file under a file size limit, which fails writes as
# a full disk does (the limit's signal ignored, as a full disk sends none).
#   full_disk_test.sh ZELVO-BATCH EXAMPLES-DIR
set -uo pipefail
BATCH=$1 EXAMPLES=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
source "$(dirname "$0")/writer_checks.sh"

head -n 400 "$EXAMPLES/sphere_survey.dat" >"$WORK/small.dat"
"$BATCH" -q --radius 60 "$EXAMPLES/sphere_survey.dat" "$WORK/good.dat" || exit 1

# A few kilobytes: every file written fails, whatever its format.

run_faulted() { (trap '' XFSZ; ulimit -f 2; exec "$@"); }
mkdir "$WORK/out"
check_every_writer "$WORK/out" "File too large"

run_faulted() { "$@"; }
expect_refused /dev/full "No space left on device" "$BATCH" -q --radius 60 "$WORK/small.dat" /dev/full

# The trace is four times the result file: a limit between them fails the
# trace alone.
result_blocks=$(( ($("$BATCH" -q --radius 60 "$WORK/small.dat" - | wc -c) + 1023) / 1024 ))
run_faulted() { (trap '' XFSZ; ulimit -f $((result_blocks + 1)); exec "$@"); }
expect_refused "$WORK/traced_trace_out.xyz" "File too large" \
  "$BATCH" -q --radius 60 --iterations 3 --subset "$WORK/small.dat" "$WORK/small.dat" "$WORK/traced.dat"

echo "full disk: $failures failed"
[ "$failures" -eq 0 ]
