#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing. The packages
# are listed one per line in scripts/packages/*.txt ('#' starts a comment).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t packages < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' scripts/packages/*.txt | sort -u)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
