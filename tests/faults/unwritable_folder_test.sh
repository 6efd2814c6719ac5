#!/usr/bin/env bash
# Every writer of zelvo-batch, and the window's settings, in a folder its
# user may not write: run as a throwaway system user, so only as root.
#   unwritable_folder_test.sh ZELVO-BATCH EXAMPLES-DIR FAULT-TESTS
set -uo pipefail
BATCH=$1 EXAMPLES=$2 FAULT_TESTS=$3
source "$(dirname "$0")/throwaway_user.sh"
with_throwaway_user zelvo-fault "without write permission"
source "$(dirname "$0")/writer_checks.sh"

chmod 755 "$WORK"
"$BATCH" -q --radius 60 "$EXAMPLES/sphere_survey.dat" "$WORK/good.dat" || exit 1
head -n 400 "$EXAMPLES/sphere_survey.dat" >"$WORK/small.dat"
chmod 644 "$WORK/good.dat" "$WORK/small.dat"
# The user may reach every program and file it reads on the way.
chmod o+x "$(dirname "$BATCH")" "$(dirname "$FAULT_TESTS")" 2>/dev/null

out=$WORK/out
mkdir -p "$out/pics" "$out/grids" "$out/maps"
run_faulted() { runuser -u "$user" -- "$@"; }
check_every_writer "$out" "Permission denied"

plant "$out/out.dat"
expect_refused "$out/out.dat" "Permission denied" "$BATCH" -q --radius 60 "$WORK/small.dat" "$out/out.dat"
expect_kept "$out/out.dat"

# The window's settings: the engine's save in the unwritable folder.
plant "$out/zelvo.cfg"
if ! ZELVO_UNWRITABLE_FOLDER=$out runuser -u "$user" -- "$FAULT_TESTS" \
    --gtest_filter='SettingsInUnwritableFolder.*' >"$WORK/stderr" 2>&1 ||
    ! grep -q '^\[  PASSED  \] 1 test' "$WORK/stderr"; then
  fail "settings in an unwritable folder: $(cat "$WORK/stderr")"
fi
expect_kept "$out/zelvo.cfg"

echo "unwritable folder: $failures failed"
[ "$failures" -eq 0 ]
