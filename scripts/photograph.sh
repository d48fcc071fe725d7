#!/usr/bin/env bash
# Photographs windows for the screenshot scripts: waits until a program under Wine has written
# the screen rectangles of a view (one "left top right bottom" line per window) into REPORT,
# then saves the screen cut to those rectangles, with a margin, as OUTPUT.
#   photograph.sh REPORT OUTPUT
set -euo pipefail
report=$1
output=$2
for _ in $(seq 1 600); do
  [ -s "$report" ] && break
  sleep 0.1
done
if ! [ -s "$report" ]; then
  echo "$(basename "$output" .png): the view did not appear" >&2
  exit 1
fi
screen=$(mktemp --suffix=.png)
trap 'rm -f "$screen"' EXIT
import -window root "$screen"
read -r left top right bottom < <(awk 'NR == 1 { l = $1; t = $2; r = $3; b = $4 }
  { if ($1 < l) l = $1; if ($2 < t) t = $2; if ($3 > r) r = $3; if ($4 > b) b = $4 }
  END { m = 12; if (l < m) l = m; if (t < m) t = m; print l - m, t - m, r + m, b + m }' "$report")
convert "$screen" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$output"
echo "$output"
