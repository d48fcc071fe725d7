#!/usr/bin/env bash
# The packages of the program just built, as a Windows user gets them:
#   package_test.sh EXE VERSION PRODUCT_H E2E_TEST WEB_HOST WORK
# makes the installer and the zip of EXE (scripts/make-packages.sh) in WORK, unsigned and signed
# with a code-signing certificate made here, and checks
#   - the checksums, and that the zip holds exactly Quorvane.exe, README.txt and infos\*.png;
#   - that Quorvane.exe, the installer and the installed uninstaller of the signed packages
#     verify against the test's CA and name its certificate, and that removing the signature
#     gives back EXE;
#   - that the winget manifest agrees with the installer, the silent switch, the uninstall key,
#     the program's license text and the web site WEB_HOST;
#   - that the version block, the About text, the manifest and the requests' version
#     (PRODUCT_H, which the request code is built with) agree with VERSION, the packages' name;
#   - in a private Wine prefix: the silent install puts the files, the Start-menu shortcut (the
#     install folder as its working folder) and the uninstall key in place; the signed installer
#     updates the unsigned install in place; the installed signed program starts and the
#     documentation tour of E2E_TEST walks its sections and dialogs (that a preview shows the
#     picture beside the program, pixel for pixel, is the end-to-end test's Picture step); the
#     silent uninstall removes files, shortcut and key, and keeps the settings files and the
#     Firefox profile.
set -euo pipefail
exe=$1
version=$2
product_h=$3
e2e_test=$4
web_host=$5
work=$6
root=$(cd "$(dirname "$0")/../.." && pwd)
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# expect WHAT ACTUAL EXPECTED
expect() {
  if [ "$2" != "$3" ]; then
    fail "$1: '$2', expected '$3'"
  fi
}
same_file() {
  cmp -s "$1" "$2" || fail "$2 differs from $1"
}

rm -rf "$work"
mkdir -p "$work"
dist=$work/dist
name=Quorvane-$version
"$root/scripts/make-packages.sh" "$exe" "$version" "$dist" "$web_host"
setup=$dist/$name-setup.exe
zip=$dist/$name-portable.zip

# A throw-away CA and a code-signing certificate of it, for the signed packages. Their keys are
# elliptic-curve ones, which take no time to make.
keys=$work/signing
subject=/CN=Kestrovan/O=Kestrovan
new_key=(-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes)
mkdir "$keys"
openssl req -x509 "${new_key[@]}" -days 2 -subj "/CN=Quorvane test CA/O=Kestrovan" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
  -keyout "$keys/ca.key" -out "$keys/ca.crt" 2>/dev/null
openssl req "${new_key[@]}" -subj "$subject" -keyout "$keys/sign.key" -out "$keys/sign.csr" \
  2>/dev/null
printf 'keyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$keys/usage"
openssl x509 -req -days 2 -in "$keys/sign.csr" -CA "$keys/ca.crt" -CAkey "$keys/ca.key" \
  -CAcreateserial -extfile "$keys/usage" -out "$keys/sign.crt" 2>/dev/null
printf 'not a real secret\n' >"$keys/password"
openssl pkcs12 -export -inkey "$keys/sign.key" -in "$keys/sign.crt" -certfile "$keys/ca.crt" \
  -passout "file:$keys/password" -out "$keys/sign.p12"
signed=$work/signed
QUORVANE_SIGN_PKCS12=$keys/sign.p12 QUORVANE_SIGN_PASSWORD_FILE=$keys/password \
  "$root/scripts/make-packages.sh" "$exe" "$version" "$signed" "$web_host"
signed_setup=$signed/$name-setup.exe

# ---- The zip and the checksums -------------------------------------------------------------
(cd "$dist" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not match"
pictures=$(cd "$root" && ls infos/*.png)
expect "zip contents" "$(unzip -Z1 "$zip" | sort)" \
  "$(printf '%s\n' Quorvane.exe README.txt $pictures | sort)"
mkdir "$work/unzipped"
unzip -q "$zip" -d "$work/unzipped"
same_file "$exe" "$work/unzipped/Quorvane.exe"
for picture in $pictures; do
  same_file "$root/$picture" "$work/unzipped/$picture"
done
grep -q "^Quorvane $version (portable)" "$work/unzipped/README.txt" ||
  fail "README.txt does not name version $version"

# ---- Signatures ----------------------------------------------------------------------------
# verify_signed FILE: signed by the test's certificate, which chains to the test's CA.
verify_signed() {
  local report
  if ! report=$(osslsigncode verify -CAfile "$keys/ca.crt" -in "$1" 2>&1); then
    fail "$1 does not verify: $(tail -3 <<<"$report")"
    return
  fi
  expect "the signer of $1" \
    "$(sed -n '/Signer #0:/{n;s/^[[:space:]]*Subject: //p;q}' <<<"$report")" "$subject"
}
(cd "$signed" && sha256sum --check --quiet SHA256SUMS) ||
  fail "the signed packages' SHA256SUMS does not match"
mkdir "$work/signed-unzipped"
unzip -q "$signed/$name-portable.zip" -d "$work/signed-unzipped"
verify_signed "$work/signed-unzipped/Quorvane.exe"
verify_signed "$signed_setup"
osslsigncode remove-signature -in "$work/signed-unzipped/Quorvane.exe" \
  -out "$work/unsigned.exe" >/dev/null || fail "no signature to remove from the signed Quorvane.exe"
same_file "$exe" "$work/unsigned.exe"

# ---- The winget manifest, as a YAML parser reads it ----------------------------------------
# winget_fields DIR: the fields that the build fills in or that must agree with the install, as "name<TAB>value" lines.
winget_fields() {
  /usr/bin/python3 - "$1" <<'PY'
import os, sys, yaml
folder = sys.argv[1]
names = ["Kestrovan.Quorvane.yaml", "Kestrovan.Quorvane.installer.yaml",
         "Kestrovan.Quorvane.locale.en-US.yaml"]
if sorted(os.listdir(folder)) != sorted(names):
    sys.exit(f"{folder} holds {sorted(os.listdir(folder))}")
version, installer, locale = (yaml.safe_load(open(os.path.join(folder, n))) for n in names)
manifests = (version, installer, locale)
[entry] = installer["AppsAndFeaturesEntries"]
[package] = installer["Installers"]
switches = installer["InstallerSwitches"]
fields = {
    "versions": " ".join({m["PackageVersion"] for m in manifests} | {entry["DisplayVersion"]}),
    "switches": switches["Silent"] + " " + switches["SilentWithProgress"],
    "ProductCode": installer["ProductCode"],
    "product codes": installer["ProductCode"] + " " + entry["ProductCode"],
    "entry": entry["DisplayName"] + "|" + entry["Publisher"],
    "pages": " ".join(locale[key] for key in ("PublisherUrl", "PackageUrl", "LicenseUrl")),
}
for key in ("InstallerUrl", "InstallerSha256"):
    fields[key] = package[key]
fields["License"] = locale["License"]
for key, value in fields.items():
    print(f"{key}\t{value}")
PY
}
declare -A winget
program_texts=$(strings -el "$exe")
for folder in "$dist" "$signed"; do
  winget=()
  while IFS=$'\t' read -r key value; do
    winget[$key]=$value
  done < <(winget_fields "$folder/winget")
  expect "winget versions" "${winget[versions]:-}" "$version"
  expect "winget silent switches, those the installs below use" "${winget[switches]:-}" "/S /S"
  expect "winget InstallerSha256" "${winget[InstallerSha256]:-}" \
    "$(sha256sum "$folder/$name-setup.exe" | cut -d' ' -f1 | tr a-f A-F)"
  expect "winget InstallerUrl" "${winget[InstallerUrl]:-}" "https://$web_host/download/$name-setup.exe"
  expect "winget web pages" "${winget[pages]:-}" \
    "https://$web_host/ https://$web_host/download#quorvane https://$web_host/licensing-quorvane"
  # The license, sentence by sentence, is what the program's License-model notice says.
  [ -n "${winget[License]:-}" ] || fail "winget License is empty"
  while read -r sentence; do
    grep -qF "$sentence" <<<"$program_texts" ||
      fail "winget License: the program never says '$sentence'"
  done < <(sed 's/\. /.\n/g' <<<"${winget[License]:-}")
done

# ---- One version everywhere ----------------------------------------------------------------
IFS=. read -r major minor patch <<<"$version"
resources=$(x86_64-w64-mingw32-windres -J coff -O rc -i "$exe")
grep -q "^ FILEVERSION $major, $minor, $patch, 0" <<<"$resources" || fail "FILEVERSION"
grep -q "^ PRODUCTVERSION $major, $minor, $patch, 0" <<<"$resources" || fail "PRODUCTVERSION"
grep -q "VALUE \"FileVersion\", \"$version.0\"" <<<"$resources" || fail "FileVersion text"
grep -q "VALUE \"ProductVersion\", \"$version.0\"" <<<"$resources" || fail "ProductVersion text"
grep -q "CONTROL \"Version $version (64-bit)\", 1002," <<<"$resources" || fail "About text"
grep -q "name=\"\"Kestrovan.Quorvane\"\" version=\"\"$version.0\"\"" <<<"$resources" ||
  fail "manifest version"
expect "the program's version text" \
  "$(sed -n 's/^#define QUORVANE_PRODUCT_VERSION "\(.*\)"$/\1/p' "$product_h")" "$version"
expect "the requests' version number" \
  "$(sed -n 's/.*kProductVersionNumber = \([0-9]*\);$/\1/p' "$product_h")" \
  "$((major * 100000 + minor * 1000 + patch))"
# The DLLs that start-up does not need are delay-loaded, not imported.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
for dll in gdiplus wininet shell32 ole32; do
  ! grep -qx "$dll.dll" <<<"$imports" || fail "$dll.dll is imported at start-up"
done

# ---- Install, run, update, uninstall in a private prefix -----------------------------------
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wine-prefix.sh" start "$WINEPREFIX" >/dev/null
trap '"$root/scripts/wine-prefix.sh" stop "$WINEPREFIX"' EXIT
folder_of() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')"; }
local_data=$(folder_of LOCALAPPDATA)
roaming=$(folder_of APPDATA)
installed=$local_data/Programs/Quorvane
installed_windows=$(winepath -w "$installed")
shortcut="$roaming/Microsoft/Windows/Start Menu/Programs/Quorvane.lnk"
uninstall_keys='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
key=$uninstall_keys\\Quorvane
# key_value NAME [KEY]: a value of Quorvane's uninstall key, or of KEY.
key_value() {
  wine reg query "${2:-$key}" /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

wine "$setup" /S || fail "the silent install ended with $?"
# winget finds the install by the uninstall key that its product code names, and knows the
# name and publisher there.
product_code=${winget[ProductCode]:-}
expect "winget product codes" "${winget[product codes]:-}" "$product_code $product_code"
product_key=$uninstall_keys\\$product_code
expect "the uninstall key of winget's product code" \
  "$(key_value DisplayName "$product_key")|$(key_value Publisher "$product_key")" "${winget[entry]:-}"
same_file "$exe" "$installed/Quorvane.exe"
for picture in $pictures; do
  same_file "$root/$picture" "$installed/$picture"
done
[ -f "$installed/Uninstall.exe" ] || fail "no Uninstall.exe"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
strings -el "$shortcut" | grep -q 'Quorvane\.exe$' || fail "the shortcut does not start Quorvane.exe"
# The working folder is one of the link's counted strings; its count shows as one character.
strings -el "$shortcut" | DIR=$installed_windows awk '$0 == ENVIRON["DIR"] ||
  substr($0, 2) == ENVIRON["DIR"] { found = 1 } END { exit !found }' ||
  fail "the shortcut's working folder is not $installed_windows"
expect DisplayIcon "$(key_value DisplayIcon)" "$installed_windows\\Quorvane.exe"
expect UninstallString "$(key_value UninstallString)" "\"$installed_windows\\Uninstall.exe\""
expect QuietUninstallString "$(key_value QuietUninstallString)" \
  "\"$installed_windows\\Uninstall.exe\" /S"
expect InstallLocation "$(key_value InstallLocation)" "$installed_windows"
size_kb=$(($(key_value EstimatedSize)))
installed_kb=$(((0 $(find "$installed" -type f -printf '+%s')) / 1024))
[ "$size_kb" -ge $((installed_kb - 2)) ] && [ "$size_kb" -le $((installed_kb + 2)) ] ||
  fail "EstimatedSize $size_kb KB, the folder holds $installed_kb KB"

# The signed installer updates that install where it is: the older version's stale picture
# goes, the entry shows the new version, the program and the uninstaller are the signed ones.
touch "$installed/infos/99.png"
wine reg add "$key" /v DisplayVersion /d 0.9.0 /f >/dev/null
wine "$signed_setup" /S || fail "the silent update ended with $?"
[ ! -e "$installed/infos/99.png" ] || fail "the update kept an older picture"
expect "DisplayVersion after the update" "$(key_value DisplayVersion)" "$version"
same_file "$work/signed-unzipped/Quorvane.exe" "$installed/Quorvane.exe"
verify_signed "$installed/Uninstall.exe"

# The installed signed program, started from its folder as the shortcut starts it, walked
# through its sections and dialogs.
tour=$work/tour
mkdir "$tour"
QUORVANE_PROGRAM="$installed_windows\\Quorvane.exe" QUORVANE_PHOTOGRAPH="$(winepath -w "$tour")" \
  wine "$e2e_test" --gtest_filter='*/Documentation_*' >"$work/tour.log" 2>&1 &
tour_pid=$!
for view in license section-options section-privacy section-restore about settings preview \
  section-options-changed-to-144dpi; do
  for _ in $(seq 300); do [ -s "$tour/$view.txt" ] && break; sleep 0.1; done
  [ -s "$tour/$view.txt" ] || fail "$view did not appear"
  touch "$tour/$view.done"
done
wait "$tour_pid" || fail "the walk through the installed program failed: $(tail -20 "$work/tour.log")"

# The user's settings and a Firefox profile, which the uninstaller must leave alone.
for folder in "$roaming" "$local_data"; do
  mkdir -p "$folder/Kestrovan/Quorvane"
  printf 'NoticeSuppressed=1\n' >"$folder/Kestrovan/Quorvane/settings.ini"
done
profile=$roaming/Mozilla/Firefox/Profiles/kept.default
mkdir -p "$profile"
printf '[Profile0]\r\nPath=Profiles/kept.default\r\n' >"$roaming/Mozilla/Firefox/profiles.ini"
printf 'user_pref("geo.enabled", false);\n' >"$profile/user.js"
before=$(cd "$roaming" && find Kestrovan Mozilla -type f -exec sha256sum {} + | sort;
  cd "$local_data" && find Kestrovan -type f -exec sha256sum {} + | sort)

# The quiet uninstall, run as the system runs it (the signed uninstaller). It copies itself to a
# temporary folder and returns at once; the copy's last step removes the key, so wait for that.
quiet=$(key_value QuietUninstallString)
uninstaller=$(sed 's/^"\([^"]*\)".*/\1/' <<<"$quiet")
wine "$uninstaller" $(sed 's/^"[^"]*" *//' <<<"$quiet") || fail "the silent uninstall ended with $?"
for _ in $(seq 600); do
  wine reg query "$key" >/dev/null 2>&1 || break
  sleep 0.1
done
wine reg query "$key" >/dev/null 2>&1 && fail "the uninstall key is still there"
[ ! -e "$installed" ] || fail "$installed is still there: $(cd "$installed" && find .)"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
after=$(cd "$roaming" && find Kestrovan Mozilla -type f -exec sha256sum {} + | sort;
  cd "$local_data" && find Kestrovan -type f -exec sha256sum {} + | sort)
expect "settings and Firefox profile after the uninstall" "$after" "$before"

if [ "$failures" -ne 0 ]; then
  echo "$failures package check(s) failed" >&2
  exit 1
fi
echo "packages of Quorvane $version: all checks passed"
