#!/usr/bin/env bash
# Shows that a release build is reproducible: clones the current commit into two different
# folders, runs scripts/package.sh in each and compares Quorvane.exe, the zip and the installer
# byte for byte. Exits 0 when all three are identical.
#   scripts/reproducible.sh [WORK]    (default: a new temporary folder, removed afterwards)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
commit=$(git rev-parse HEAD)
if ! git diff --quiet HEAD; then
  echo "note: uncommitted changes are not part of the comparison; it builds $commit"
fi
work=${1:-}
if [ -z "$work" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
work=$(mkdir -p "$work" && cd "$work" && pwd)
scripts/install-deps.sh

builds=("$work/first/quorvane" "$work/second/elsewhere/src")
for build in "${builds[@]}"; do
  rm -rf "$build"
  git clone -q --no-checkout "$root" "$build"
  git -C "$build" checkout -q "$commit"
  echo "== building $commit in $build"
  "$build/scripts/package.sh" >"$build.log" 2>&1 || { cat "$build.log"; exit 1; }
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "${builds[0]}/build/release/CMakeCache.txt")
differ=0
for file in build/release/app/Quorvane.exe "build/dist/Quorvane-$version-portable.zip" \
  "build/dist/Quorvane-$version-setup.exe"; do
  first=${builds[0]}/$file
  second=${builds[1]}/$file
  if cmp -s "$first" "$second"; then
    echo "identical  $(sha256sum "$first" | cut -d' ' -f1)  $(basename "$file")"
  else
    echo "DIFFERENT  $(basename "$file"): $(cmp "$first" "$second" | head -1)"
    differ=1
  fi
done
exit $differ
