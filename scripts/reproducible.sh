#!/usr/bin/env bash
# Shows that a release build is reproducible: clones the current commit into two different
# folders, runs scripts/package.sh in each and compares Quorvane.exe, the zip and the installer
# byte for byte. Exits 0 when all three are identical.
#   scripts/reproducible.sh [WORK]    (default: a new temporary folder, removed afterwards)
# With a certificate in the environment, as for package.sh (QUORVANE_SIGN_PKCS12 and
# QUORVANE_SIGN_PASSWORD_FILE), the second clone is then packaged once more, signed, and the
# signed Quorvane.exe, with its signature removed, must be the first clone's unsigned one byte for
# byte: what a signed release holds is the reproducible program.
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
signing=(QUORVANE_SIGN_PKCS12 QUORVANE_SIGN_PASSWORD_FILE QUORVANE_SIGN_TIMESTAMP_URL)
if [ -n "${QUORVANE_SIGN_PKCS12:-}" ]; then
  for variable in QUORVANE_SIGN_PKCS12 QUORVANE_SIGN_PASSWORD_FILE; do
    path=$(realpath -e "${!variable:-}")
    export "$variable=$path"
  done
fi

builds=("$work/first/quorvane" "$work/second/elsewhere/src")
for build in "${builds[@]}"; do
  rm -rf "$build"
  git clone -q --no-checkout "$root" "$build"
  git -C "$build" checkout -q "$commit"
  echo "== building $commit in $build"
  env "${signing[@]/#/-u}" "$build/scripts/package.sh" >"$build.log" 2>&1 ||
    { cat "$build.log"; exit 1; }
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
if [ -z "${QUORVANE_SIGN_PKCS12:-}" ]; then
  exit $differ
fi

build=${builds[1]}
echo "== packaging $commit in $build, signed"
"$build/scripts/package.sh" >"$build-signed.log" 2>&1 || { cat "$build-signed.log"; exit 1; }
dist=$build/build/dist
signer() {
  osslsigncode verify -in "$1" 2>&1 | sed -n '/Signer #0:/{n;s/^[[:space:]]*Subject: //p;q}'
}
unzip -p "$dist/Quorvane-$version-portable.zip" Quorvane.exe >"$work/signed.exe"
rm -f "$work/unsigned.exe"
for file in "$work/signed.exe" "$dist/Quorvane-$version-setup.exe"; do
  if [ -z "$(signer "$file")" ]; then
    echo "UNSIGNED   $(basename "$file")"
    differ=1
  fi
done
echo "signed     $(sha256sum "$dist/Quorvane-$version-setup.exe" | cut -d' ' -f1)" \
  " Quorvane-$version-setup.exe, by $(signer "$dist/Quorvane-$version-setup.exe")"
osslsigncode remove-signature -in "$work/signed.exe" -out "$work/unsigned.exe" >/dev/null || true
if cmp -s "$work/unsigned.exe" "${builds[0]}/build/release/app/Quorvane.exe"; then
  echo "identical  $(sha256sum "$work/unsigned.exe" | cut -d' ' -f1)  Quorvane.exe of the signed" \
    "zip, signed by $(signer "$work/signed.exe"), once its signature is removed"
else
  echo "DIFFERENT  Quorvane.exe of the signed zip without its signature:" \
    "$(cmp "$work/unsigned.exe" "${builds[0]}/build/release/app/Quorvane.exe" 2>&1 | head -1)"
  differ=1
fi
exit $differ
