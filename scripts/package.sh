#!/usr/bin/env bash
# Builds the release program and writes what a Windows user downloads into build/dist/:
#   Quorvane-<version>-setup.exe      the installer (per user, no administrator rights)
#   Quorvane-<version>-portable.zip   Quorvane.exe, infos\ and README.txt
#   SHA256SUMS
# The version is the project(VERSION) of CMakeLists.txt. Options are passed to CMake, e.g.
#   scripts/package.sh -DQUORVANE_SERVICE_HOST=updates.example.org -DQUORVANE_WEB_HOST=example.org
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
tree=build/release
cmake --preset windows -B "$tree" -DBUILD_TESTING=OFF "$@" >/dev/null
cmake --build "$tree" --target Quorvane -j 2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
scripts/make-packages.sh "$tree/app/Quorvane.exe" "$version" build/dist
echo "build/dist:"
cat build/dist/SHA256SUMS
