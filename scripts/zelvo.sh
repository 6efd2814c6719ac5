#!/usr/bin/env bash
# One entry for a fresh machine:
#   scripts/zelvo.sh example   install, build (Release), run the shipped example
#   scripts/zelvo.sh test      install, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."

task=${1:-}
case "$task" in
  example|test) ;;
  *) echo "usage: scripts/zelvo.sh example|test" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
build=build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)"

if [ "$task" = test ]; then
  export QT_QPA_PLATFORM=offscreen
  ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
  exit
fi

bash examples/run-example.sh "$build"
