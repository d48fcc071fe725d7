#!/usr/bin/env bash
# Signs one Windows executable of a release in place, with Authenticode and SHA-256:
#   sign.sh FILE
# The certificate comes from the environment:
#   QUORVANE_SIGN_PKCS12          the PKCS#12 file with the code-signing key and certificate
#   QUORVANE_SIGN_PASSWORD_FILE   a file holding its password
#   QUORVANE_SIGN_TIMESTAMP_URL   an RFC 3161 time-stamp server (optional)
# Signing pads a file to a multiple of 8 bytes and rewrites its PE checksum; this script does
# both first, then signs, and checks that removing the signature gives back those bytes: a
# signed file is exactly its unsigned self plus the signature. (Quorvane.exe comes from the
# linker already padded and with its checksum, so it is the reproducible build's file.)
# scripts/make-packages.sh runs it on Quorvane.exe; the installer script on the uninstaller
# and the installer.
set -euo pipefail
file=$1
for variable in QUORVANE_SIGN_PKCS12 QUORVANE_SIGN_PASSWORD_FILE; do
  if [ ! -f "${!variable:-}" ]; then
    echo "sign.sh: $variable names no file: '${!variable:-}'" >&2
    exit 1
  fi
done

size=$(stat -c %s "$file")
if [ $((size % 8)) -ne 0 ]; then
  head -c $((8 - size % 8)) /dev/zero >>"$file"
  size=$(stat -c %s "$file")
fi
# The checksum is the folded sum of the file's 16-bit words, without the checksum field itself
# (64 bytes into the optional header), plus the file's length.
header=$(od -An -tu4 -j 60 -N 4 "$file" | tr -d ' ')
at=$((header + 24 + 64))
checksum=$(od -An -v -tu2 -w16 "$file" | awk -v skip=$((at / 2)) -v size="$size" '
  { for (i = 1; i <= NF; i++) {
      if (n != skip && n != skip + 1) { sum += $i; if (sum > 65535) sum = sum % 65536 + 1 }
      n++
    } }
  END { printf "%d\n", sum + size }')
printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((checksum & 255)) $((checksum >> 8 & 255)) \
  $((checksum >> 16 & 255)) $((checksum >> 24 & 255)))" |
  dd of="$file" bs=1 seek="$at" conv=notrunc status=none

timestamp=()
if [ -n "${QUORVANE_SIGN_TIMESTAMP_URL:-}" ]; then
  timestamp=(-ts "$QUORVANE_SIGN_TIMESTAMP_URL")
fi
signed=$file.signed
unsigned=$file.unsigned
trap 'rm -f "$signed" "$unsigned"' EXIT
rm -f "$signed" "$unsigned"
log=$(osslsigncode sign -pkcs12 "$QUORVANE_SIGN_PKCS12" -readpass "$QUORVANE_SIGN_PASSWORD_FILE" \
  -h sha256 "${timestamp[@]}" -in "$file" -out "$signed" 2>&1) ||
  { echo "sign.sh: signing $file failed: $log" >&2; exit 1; }
log=$(osslsigncode remove-signature -in "$signed" -out "$unsigned" 2>&1) ||
  { echo "sign.sh: removing the signature of $file failed: $log" >&2; exit 1; }
if ! cmp -s "$file" "$unsigned"; then
  echo "sign.sh: signing changed $file beyond adding the signature: $(cmp "$file" "$unsigned")" >&2
  exit 1
fi
mv "$signed" "$file"
