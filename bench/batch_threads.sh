#!/usr/bin/env bash
# Whole zelvo-batch jobs on one survey file with 1 and 2 threads (or the
# counts given): wall time by hyperfine (take the minimum on a busy machine)
# and the peak memory of one run by GNU time. The files must be the same for
# every count, so they are compared too.
# Usage: bench/batch_threads.sh ZELVO_BATCH SURVEY_FILE [RADIUS] [THREADS...]
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: bench/batch_threads.sh ZELVO_BATCH SURVEY_FILE [RADIUS] [THREADS...]" >&2
  exit 2
fi
program=$(realpath "$1")
survey=$(realpath "$2")
radius=${3:-350}
shift $(( $# < 3 ? $# : 3 ))
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1 2)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for n in "${counts[@]}"; do
  /usr/bin/time -f "threads $n: %e s wall, %U s user, %M KB peak" \
    "$program" --quiet --threads "$n" --radius "$radius" "$survey" "$work/out_$n.dat"
  if [ "$n" != "${counts[0]}" ]; then
    cmp "$work/out_${counts[0]}.dat" "$work/out_$n.dat"
  fi
done
commands=()
for n in "${counts[@]}"; do
  commands+=("'$program' --quiet --threads $n --radius $radius '$survey' '$work/out.dat'")
done
hyperfine --warmup 1 --runs 5 --export-markdown "$work/times.md" "${commands[@]}"
cat "$work/times.md"
