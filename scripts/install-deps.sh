#!/usr/bin/env bash
# Installs from Debian's archive whatever the build and the tests need and is
# not there yet. Runs as root, or through sudo.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libjpeg-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-dejavu-core fonts-dejavu-extra libgdal-dev libcairo2-dev
          dpkg-dev file  # these two: cpack's Debian package (scripts/package.sh)
          pybind11-dev python3-dev python3-numpy python3-pytest  # the Python module
          python3-pandas python3-xarray  # what its tests pass in and ask for
          clang libclang-rt-14-dev)  # the fuzz targets (scripts/fuzz.sh)
# The peers and the timer of scripts/bench.sh.
packages+=(libnanoflann-dev python3-scipy time)

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
