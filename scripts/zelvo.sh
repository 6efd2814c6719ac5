#!/usr/bin/env bash
# One entry for a fresh machine:
#   scripts/zelvo.sh example   install, build (Release) what the example needs, run it
#   scripts/zelvo.sh test      install, build, run every test, then every fuzz
#                              target for FUZZ_SECONDS (default 60) each
#   scripts/zelvo.sh sanitize  every test again, built with AddressSanitizer
#                              and UBSan (build-asan); any report fails it
# JOBS sets how many compile jobs run at once (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."

task=${1:-}
case "$task" in
  example|test|sanitize) ;;
  *) echo "usage: scripts/zelvo.sh example|test|sanitize" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
build=build
jobs=${JOBS:-$(nproc)}

if [ "$task" = sanitize ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVO_SANITIZE=ON \
    -DZELVO_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan --parallel "$jobs"
  export QT_QPA_PLATFORM=offscreen
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 1500
  exit
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

if [ "$task" = test ]; then
  cmake --build "$build" --parallel "$jobs"
  export QT_QPA_PLATFORM=offscreen
  ctest --test-dir "$build" --output-on-failure --parallel "$jobs"
  bash scripts/fuzz.sh all "${FUZZ_SECONDS:-60}"
  exit
fi

cmake --build "$build" --parallel "$jobs" --target zelvo-batch
bash examples/run-example.sh "$build"
