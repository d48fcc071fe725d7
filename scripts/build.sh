#!/usr/bin/env bash
# Configures and builds both targets: the native core and the Windows program.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in native service-release windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
