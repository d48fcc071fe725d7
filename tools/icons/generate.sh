#!/usr/bin/env bash
# Rebuilds the artwork in res/icons from the drawings in this folder, with the host compiler.
# The files are committed; a native test checks that they match a fresh rendering.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
c++ -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -I"$root" \
  "$root"/tools/icons/{canvas,encoders,artwork,main}.cpp -o "$work/icon-generator"
mkdir -p "$root/res/icons"
"$work/icon-generator" "$root/res/icons"
