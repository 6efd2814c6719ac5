#!/usr/bin/env bash
# Installs from Debian's archive whatever the build and the tests need and is
# not there yet. Runs as root, or through sudo.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libjpeg-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-dejavu-core fonts-dejavu-extra libgdal-dev libcairo2-dev
          dpkg-dev file  # these two: cpack's Debian package (scripts/package.sh)
          clang libclang-rt-14-dev)  # the fuzz targets (scripts/fuzz.sh)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
