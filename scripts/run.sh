#!/usr/bin/env bash
# The one run command: installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
echo "Built the portable core and its tests (build/native, build/windows)."
echo "Quorvane.exe does not exist yet: the main window comes with a later change, so nothing starts."
