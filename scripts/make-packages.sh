#!/usr/bin/env bash
# Packages a built Quorvane.exe for Windows users:
#   make-packages.sh EXE VERSION OUTDIR WEB_HOST
# writes into OUTDIR
#   Quorvane-VERSION-setup.exe      the installer (tools/installer/quorvane.nsi)
#   Quorvane-VERSION-portable.zip   Quorvane.exe, infos\ and README.txt
#   SHA256SUMS                      the checksums of both
#   winget/                         the winget manifest of the installer (tools/installer/winget/),
#                                   its addresses on WEB_HOST, the web site's host
# When QUORVANE_SIGN_PKCS12 names a certificate, scripts/sign.sh signs Quorvane.exe, the
# uninstaller and the installer; without one they stay unsigned.
# The same inputs give the same bytes: every packed file carries the time of the last commit
# (or SOURCE_DATE_EPOCH when set), and the zip lists its files in a fixed order, without the
# extra attributes of the machine it was made on.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$1
version=$2
mkdir -p "$3"
out=$(cd "$3" && pwd)
web_host=$4
name=Quorvane-$version
export TZ=UTC LC_ALL=C
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/infos"
cp "$exe" "$stage/Quorvane.exe"
sign=()
if [ -n "${QUORVANE_SIGN_PKCS12:-}" ]; then
  # makensis runs the signing from the installer script's folder.
  for variable in QUORVANE_SIGN_PKCS12 QUORVANE_SIGN_PASSWORD_FILE; do
    path=$(realpath -e "${!variable:-}")
    export "$variable=$path"
  done
  "$root/scripts/sign.sh" "$stage/Quorvane.exe"
  sign=(-DSIGN="$root/scripts/sign.sh")
fi
cp "$root"/infos/*.png "$stage/infos/"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/tools/installer/README.txt" >"$stage/README.txt"
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -d "@$epoch" {} +

rm -rf "$out/$name-portable.zip" "$out/$name-setup.exe" "$out/SHA256SUMS" "$out/winget"
(cd "$stage" && find . -type f | sed 's|^\./||' | sort | zip -q -X -D -9 "$out/$name-portable.zip" -@)
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$root/res/icons/application.ico" \
  -DOUTFILE="$out/$name-setup.exe" "${sign[@]}" "$root/tools/installer/quorvane.nsi"
(cd "$out" && sha256sum "$name-setup.exe" "$name-portable.zip" >SHA256SUMS)

mkdir "$out/winget"
sha256=$(sha256sum "$out/$name-setup.exe" | cut -d' ' -f1 | tr a-f A-F)
for template in "$root"/tools/installer/winget/*.yaml; do
  sed -e "s/@VERSION@/$version/g" -e "s/@WEB_HOST@/$web_host/g" -e "s/@INSTALLER_SHA256@/$sha256/g" \
    "$template" >"$out/winget/$(basename "$template")"
done
