#!/usr/bin/env bash
# One entry for a fresh machine:
#   scripts/zelvo.sh example   install, build (Release) what the example needs, run it
#   scripts/zelvo.sh test      install, build, run every test
# JOBS sets how many compile jobs run at once (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."

task=${1:-}
case "$task" in
  example|test) ;;
  *) echo "usage: scripts/zelvo.sh example|test" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
build=build
jobs=${JOBS:-$(nproc)}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

if [ "$task" = test ]; then
  cmake --build "$build" --parallel "$jobs"
  export QT_QPA_PLATFORM=offscreen
  ctest --test-dir "$build" --output-on-failure --parallel "$jobs"
  exit
fi

cmake --build "$build" --parallel "$jobs" --target zelvo-batch
bash examples/run-example.sh "$build"
