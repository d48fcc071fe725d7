#!/usr/bin/env bash
# Builds the libFuzzer targets that fuzz/CMakeLists.txt lists (clang, ASan and UBSan, in
# build/fuzz) and runs each for SECONDS (default 60; 0 = no time limit) from its seed corpus in
# fuzz/corpus/<target>, with the dictionary the list gives it; inputs that find new paths are kept
# in build/fuzz/corpus/<target>. FUZZ_RUNS=N stops each target after N runs. Ends with "fuzz: N targets, M runs, K crashes" and fails when a target crashed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build/fuzz
mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQUORVANE_FUZZ=ON >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j2 >"$build/build.log" 2>&1 || { tail -50 "$build/build.log"; exit 1; }
# The settings target writes files at every run: a private folder, in memory where there is
# one, keeps that fast and apart from any other run.
memory=/dev/shm
[ -d "$memory" ] && [ -w "$memory" ] || memory="${TMPDIR:-/tmp}"
scratch="$(mktemp -d "$memory/quorvane-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"
limits=(-max_total_time="$seconds")
if [ -n "${FUZZ_RUNS:-}" ]; then
  limits+=(-runs="$FUZZ_RUNS")
fi
targets=0 runs=0 crashes=0
for binary in "$build"/fuzz/fuzz_*; do
  name="${binary##*/fuzz_}"
  mkdir -p "$build/corpus/$name"
  log="$build/$name.log"
  dictionary=()
  given="$build/fuzz/dictionaries/$name.dict"
  [ -f "$given" ] && dictionary=(-dict="$given")
  if ! "$binary" "${limits[@]}" "${dictionary[@]}" -artifact_prefix="$build/crash-$name-" \
      "$build/corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1; then
    crashes=$((crashes + 1))
    echo "fuzz: $name crashed; see $log"
    grep -A12 -E '^==[0-9]+==ERROR|runtime error' "$log" | head -30 || true
  fi
  done_runs="$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')"
  echo "fuzz: $name ${done_runs:-0} runs"
  runs=$((runs + ${done_runs:-0}))
  targets=$((targets + 1))
done
echo "fuzz: $targets targets, $runs runs, $crashes crashes"
[ "$crashes" -eq 0 ]
