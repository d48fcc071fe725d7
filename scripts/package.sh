#!/usr/bin/env bash
# Builds the release program and writes what a Windows user downloads into build/dist/:
#   Quorvane-<version>-setup.exe      the installer (per user, no administrator rights)
#   Quorvane-<version>-portable.zip   Quorvane.exe, infos\ and README.txt
#   SHA256SUMS
#   winget/                           the winget manifest of the installer
# The version is the project(VERSION) of CMakeLists.txt. Options are passed to CMake, e.g.
#   scripts/package.sh -DQUORVANE_SERVICE_HOST=updates.example.org -DQUORVANE_WEB_HOST=example.org
# Quorvane.exe, the uninstaller and the installer are signed when QUORVANE_SIGN_PKCS12 and
# QUORVANE_SIGN_PASSWORD_FILE name a code-signing certificate and its password
# (QUORVANE_SIGN_TIMESTAMP_URL optionally a time-stamp server); see scripts/sign.sh.
set -euo pipefail
# The certificate's files as named from the caller's folder.
if [ -n "${QUORVANE_SIGN_PKCS12:-}" ]; then
  for variable in QUORVANE_SIGN_PKCS12 QUORVANE_SIGN_PASSWORD_FILE; do
    path=$(realpath -e "${!variable:-}")
    export "$variable=$path"
  done
fi
cd "$(dirname "$0")/.."
scripts/install-deps.sh
tree=build/release
cmake --preset windows -B "$tree" -DBUILD_TESTING=OFF "$@" >/dev/null
cmake --build "$tree" --target Quorvane -j 2
cache() { sed -n "s/^$1:[A-Z]*=//p" "$tree/CMakeCache.txt"; }
if [ -n "${QUORVANE_SIGN_PKCS12:-}" ]; then
  echo "signing with the certificate in $QUORVANE_SIGN_PKCS12"
else
  echo "unsigned: QUORVANE_SIGN_PKCS12 names no certificate, so the files are not signed"
fi
scripts/make-packages.sh "$tree/app/Quorvane.exe" "$(cache CMAKE_PROJECT_VERSION)" build/dist \
  "$(cache QUORVANE_WEB_HOST)"
echo "build/dist:"
cat build/dist/SHA256SUMS
