#!/usr/bin/env bash
# The committed icons and bitmap are what tools/icons/generate.sh draws: renders them afresh into a
# scratch folder and compares the two folders, file names and bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$root/tools/icons/generate.sh" "$fresh"
if ! diff -r "$fresh" "$root/res/icons"; then
  echo "res/icons differs from a fresh rendering: run tools/icons/generate.sh"
  exit 1
fi
