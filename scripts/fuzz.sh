#!/usr/bin/env bash
# Builds one fuzz target (or every one: "all") with clang and its sanitizers
# and runs it for SECONDS over its seed corpus:
#   scripts/fuzz.sh TARGET SECONDS
# Targets are fuzz/*_fuzz.cpp without the suffix (line_ops, settings, ...).
# New inputs go to build-fuzz/corpus/TARGET, failures to build-fuzz/failures/TARGET;
# a crash, leak or sanitizer report ends it with a non-zero status.
# JOBS sets how many compile jobs run at once (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh TARGET|all SECONDS" >&2
  exit 2
fi
target=$1 seconds=$2
build=${FUZZ_BUILD:-build-fuzz}
jobs=${JOBS:-$(nproc)}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_FUZZ=ON \
  -DZELVO_BUILD_WINDOW=OFF -DZELVO_BUILD_TESTS=OFF -DZELVO_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null

if [ "$target" = all ]; then
  targets=$(cd fuzz && ls -- *_fuzz.cpp | sed 's/_fuzz\.cpp$//')
else
  [ -f "fuzz/${target}_fuzz.cpp" ] || { echo "scripts/fuzz.sh: no fuzz target $target" >&2; exit 2; }
  targets=$target
fi
for name in $targets; do
  cmake --build "$build" --parallel "$jobs" --target "${name}_fuzz"
done

export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for name in $targets; do
  mkdir -p "$build/corpus/$name" "$build/failures/$name"
  echo "== $name: $seconds s"
  if ! "$build/fuzz/${name}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$build/failures/$name/" -close_fd_mask=3 \
      "$build/corpus/$name" "fuzz/corpus/$name" >"$build/$name.log" 2>&1; then
    failed+=("$name")
    tail -n 60 "$build/$name.log"
  fi
  grep -E '^#[0-9]+\s+DONE|stat::number_of_executed_units|stat::average_exec_per_sec' "$build/$name.log" || true
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: failed: ${failed[*]} (inputs in $build/failures/)" >&2
  exit 1
fi
echo "fuzz: ${targets//$'\n'/ } passed"
