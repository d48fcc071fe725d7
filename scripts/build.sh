#!/usr/bin/env bash
# Configures and builds the three presets: native (the core, the update service and their tests,
# under the sanitizers), service-release (the update service optimised, as deployed, with its
# tests) and windows (the program and its tests).
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in native service-release windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
