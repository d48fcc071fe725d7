#!/usr/bin/env bash
# Fails unless the given Windows executable imports only DLLs that every Windows system has,
# i.e. it was linked statically and runs as one file.
set -euo pipefail
exe=$1
mapfile -t dlls < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
system='^(kernel32|user32|gdi32|gdiplus|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|uxtheme|wininet|crypt32|msvcrt|ucrtbase|ws2_32|version|dwmapi|api-ms-win-[a-z0-9-]+)\.dll$'
bad=0
for dll in "${dlls[@]}"; do
  if ! [[ $dll =~ $system ]]; then
    echo "not a system DLL: $dll"
    bad=1
  fi
done
echo "$(basename "$exe") imports: ${dlls[*]}"
exit $bad
