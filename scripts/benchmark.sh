#!/usr/bin/env bash
# Builds the portable core optimised, without sanitizers, and runs its benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native -B build/bench -DCMAKE_BUILD_TYPE=Release -DQUORVANE_SANITIZE=OFF >/dev/null
cmake --build build/bench -j2 --target prefs_benchmark
build/bench/tools/benchmarks/prefs_benchmark "$@"
