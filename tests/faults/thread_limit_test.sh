#!/usr/bin/env bash
# zelvo-batch where the system refuses it every thread it asks for: the run
# completes on the threads it has, with the output of one thread. A user's
# process limit is what refuses them, so this runs as a throwaway system
# user, and only as root.
#   thread_limit_test.sh ZELVO-BATCH EXAMPLES-DIR
set -uo pipefail
BATCH=$1 EXAMPLES=$2
source "$(dirname "$0")/throwaway_user.sh"
with_throwaway_user zelvo-threads "with a process limit"
chmod 777 "$WORK"
head -n 2000 "$EXAMPLES/sphere_survey.dat" >"$WORK/in.dat"
chmod 644 "$WORK/in.dat"
chmod o+x "$(dirname "$BATCH")" 2>/dev/null

"$BATCH" -q --threads 1 --radius 60 --iterations 2 "$WORK/in.dat" "$WORK/one.dat" || exit 1
# One process and no other: every thread the program starts is refused, the
# leak checker's of a sanitizer build too, so that one stays off.
if ! runuser -u "$user" -- env ASAN_OPTIONS=detect_leaks=0 prlimit --nproc=1 "$BATCH" -q --threads 4 --radius 60 --iterations 2 \
    "$WORK/in.dat" "$WORK/refused.dat" 2>"$WORK/stderr"; then
  echo "failed without threads: $(cat "$WORK/stderr")"
  exit 1
fi
cmp "$WORK/one.dat" "$WORK/refused.dat" || exit 1
echo "thread limit: passed"
