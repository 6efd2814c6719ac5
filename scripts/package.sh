#!/usr/bin/env bash
# Builds the Debian package of zelvo and zelvo-batch and prints its path.
# Usage: scripts/package.sh [BUILD_DIR]   (default build-package)
# A new BUILD_DIR is configured as a Release build without tests and
# benchmarks; an existing Release build (scripts/zelvo.sh's build) is packaged
# as it is configured. JOBS sets the build's job count (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-package}
jobs=${JOBS:-$(nproc)}

bash scripts/install-deps.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DZELVO_BUILD_TESTS=OFF -DZELVO_BUILD_BENCH=OFF >/dev/null
elif ! grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" \
     || grep -qx 'ZELVO_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "package.sh: $build is not a plain Release build; name a new folder" >&2
  exit 2
fi
cmake --build "$build" --parallel "$jobs"

out=$(cd "$build" && pwd)/package
rm -f "$out"/zelvo_*.deb
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out"
deb=$(ls "$out"/zelvo_*.deb)
echo "$deb"
