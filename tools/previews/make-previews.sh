#!/usr/bin/env bash
# Draws the option preview pictures (640 x 400 PNG) that the Info buttons show. The artwork is
# ours, drawn with ImageMagick from the shapes below; run this script to rebuild infos/*.png.
#   tools/previews/make-previews.sh [OUTPUT_FOLDER]   (default: infos/ of the repository)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-infos}
mkdir -p "$out"

font=DejaVu-Sans
bold=DejaVu-Sans-Bold
ink='#1f2933'
muted='#52606d'
accent='#2f6fde'
good='#1f9d55'
bad='#d64545'
line='#cbd2d9'

# The common frame: a title, a browser window and a two-line explanation under it.
#   frame FILE TITLE LINE1 LINE2 DRAWING...
frame() {
  local file=$1 title=$2 line1=$3 line2=$4
  convert -size 640x400 xc:'#f5f7fa' \
    -fill white -stroke "$line" -strokewidth 1 -draw 'roundrectangle 20,52 620,312 10,10' \
    -fill '#e4e7eb' -stroke none -draw 'roundrectangle 21,53 619,84 10,10' \
    -draw 'rectangle 21,70 619,84' \
    -fill '#ff5f57' -draw 'circle 38,68 43,68' -fill '#febc2e' -draw 'circle 56,68 61,68' \
    -fill '#28c840' -draw 'circle 74,68 79,68' \
    -font "$bold" -pointsize 20 -fill "$ink" -annotate +24+34 "$title" \
    -font "$font" -pointsize 15 -fill "$muted" -annotate +24+346 "$line1" \
    -annotate +24+370 "$line2" \
    "${draw[@]}" "$out/$file"
  draw=()
}

# The drawing of one picture is collected in "draw", in painting order.
draw=()
add() { draw+=("$@"); }

# A tab in the window's tab strip: tab X WIDTH TEXT [active]
tab() {
  local x=$1 width=$2 text=$3 fill='#f5f7fa'
  [ "${4:-}" = active ] && fill=white
  add -fill "$fill" -stroke "$line" -draw "roundrectangle $x,58 $((x + width)),84 6,6" \
    -stroke none -font "$font" -pointsize 12 -fill "$ink" -annotate "+$((x + 12))+76" "$text"
}

# A big cross over an area: cross X1 Y1 X2 Y2
cross() {
  add -stroke "$bad" -strokewidth 7 -draw "line $1,$2 $3,$4" -draw "line $1,$4 $3,$2" \
    -strokewidth 1 -stroke none
}

# Open new tab for search box result
tab 96 150 'Reading: Article'
tab 250 170 'tips - Search' active
add -fill white -stroke "$line" -draw 'roundrectangle 36,94 420,120 12,12' \
  -draw 'roundrectangle 432,94 604,120 12,12' -stroke none -font "$font" -pointsize 13 \
  -fill "$muted" -annotate +50+112 'news.example/article' -fill "$ink" \
  -annotate +446+112 'Search: tips' -fill "$accent" -draw 'circle 590,107 596,107' -fill '#eef2f7' \
  -draw 'rectangle 36,134 300,296' -fill "$line" -draw 'rectangle 52,150 280,160' \
  -draw 'rectangle 52,172 260,180' -draw 'rectangle 52,190 270,198' \
  -draw 'rectangle 52,208 240,216' -font "$font" -pointsize 12 -fill "$muted" \
  -annotate +52+240 'your page stays open' -fill '#e8f0fd' -stroke "$accent" \
  -draw 'roundrectangle 330,134 604,296 8,8' -stroke none -font "$bold" -pointsize 14 \
  -fill "$accent" -annotate +346+160 'New tab: results for "tips"' -fill "$line" \
  -draw 'rectangle 346,176 580,184' -draw 'rectangle 346,200 560,208' \
  -draw 'rectangle 346,224 570,232' -draw 'rectangle 346,248 520,256' -stroke "$good" \
  -strokewidth 4 -draw 'line 520,120 520,132' -fill "$good" -stroke none \
  -draw 'polygon 512,128 528,128 520,138'
frame 03.png 'Open new tab for search box result' \
  'Results of the search box open in a tab of their own, so the page you' \
  'were reading stays where it was.'

# Disable about:config warning
tab 96 150 'about:config' active
add -fill '#fff4e5' -stroke '#f0b429' -draw 'roundrectangle 36,100 304,296 8,8' -stroke none \
  -fill '#f0b429' -draw 'polygon 70,150 90,116 110,150' -fill white -font "$bold" -pointsize 18 \
  -annotate +86+146 '!' -fill "$ink" -font "$bold" -pointsize 14 \
  -annotate +118+136 'Proceed with Caution' -font "$font" -pointsize 12 -fill "$muted" \
  -annotate +60+180 'Changing advanced settings can' \
  -annotate +60+198 'affect performance or security.' -fill "$accent" \
  -draw 'roundrectangle 60,230 270,262 6,6' -fill white \
  -annotate +76+251 'Accept the Risk and Continue'
cross 48 110 292 286
add -fill "$good" -draw 'polygon 312,190 334,190 334,178 356,198 334,218 334,206 312,206' \
  -fill white -stroke "$line" -draw 'rectangle 366,100 604,296' -stroke none -fill '#eef2f7' \
  -draw 'rectangle 367,101 603,124' -font "$bold" -pointsize 12 -fill "$ink" \
  -annotate +376+117 'Preference name' -font "$font" -fill "$muted" \
  -annotate +376+146 'browser.startup.page' -annotate +376+172 'dom.event.contextmenu.enabled' \
  -annotate +376+198 'geo.enabled' -annotate +376+224 'media.autoplay.default' \
  -annotate +376+250 'network.cookie.lifetime' -annotate +376+276 'view_source.editor.path'
frame 04.png 'Disable about:config warning' \
  'Typing about:config opens the list of preferences at once, without' \
  'the "Proceed with Caution" page in between.'

# Disable WebRTC
tab 96 170 'video-call.example' active
add -fill '#eef2f7' -stroke "$line" -draw 'roundrectangle 60,110 220,270 10,10' \
  -draw 'roundrectangle 420,110 580,270 10,10' -stroke none -fill "$ink" -font "$bold" \
  -pointsize 14 -annotate +98+140 'Your PC' -annotate +452+140 'Other peer' -fill "$muted" \
  -draw 'roundrectangle 110,170 170,210 6,6' -draw 'polygon 170,182 190,172 190,208 170,198' \
  -draw 'roundrectangle 470,170 530,210 6,6' -draw 'polygon 530,182 550,172 550,208 530,198' \
  -font "$font" -pointsize 11 -annotate +82+246 'camera, microphone' \
  -annotate +92+262 'network address' -stroke "$accent" -strokewidth 4 \
  -draw 'line 232,190 408,190' -stroke none -fill "$accent" \
  -draw 'polygon 400,180 416,190 400,200' -draw 'polygon 240,180 224,190 240,200' -font "$font" \
  -pointsize 12 -fill "$accent" -annotate +262+172 'direct connection'
cross 300 180 340 220
frame 10.png 'Disable WebRTC' \
  'Web pages can no longer open direct peer-to-peer connections, which' \
  'can reveal your network address even behind a VPN.'

# Disable geolocation
tab 96 170 'maps.example' active
add -fill '#e3f0e8' -draw 'rectangle 36,92 604,304' -stroke '#b8d8c2' -strokewidth 10 -fill none \
  -draw 'line 36,250 604,170' -draw 'line 200,92 260,304' -strokewidth 1 -stroke none -fill "$bad" \
  -draw 'circle 230,200 230,176' -draw 'polygon 210,212 250,212 230,246' -fill white \
  -draw 'circle 230,200 230,190'
cross 196 164 264 250
add -fill white -stroke "$line" -draw 'roundrectangle 330,112 590,262 8,8' -stroke none \
  -font "$bold" -pointsize 14 -fill "$ink" -annotate +346+142 'maps.example wants to' \
  -annotate +346+162 'know your location' -fill "$accent" \
  -draw 'roundrectangle 346,200 450,232 6,6' -fill '#e4e7eb' \
  -draw 'roundrectangle 466,200 570,232 6,6' -font "$font" -pointsize 13 -fill white \
  -annotate +374+221 'Allow' -fill "$ink" -annotate +496+221 'Block'
add -fill "$bad" -draw 'roundrectangle 462,96 598,122 6,6' -font "$bold" -pointsize 13 \
  -fill white -annotate +478+114 'never shown'
frame 13.png 'Disable geolocation' \
  'Websites cannot ask where you are: the location request is switched off' \
  'and never reaches you or your device.'

# Prevent website tracking clicks
tab 96 170 'news.example' active
add -fill '#eef2f7' -draw 'roundrectangle 50,120 250,270 10,10' -fill "$line" \
  -draw 'rectangle 70,140 230,148' -draw 'rectangle 70,160 210,168' -font "$bold" -pointsize 15 \
  -fill "$accent" -annotate +70+204 'Read the article' -stroke "$accent" -strokewidth 1 \
  -draw 'line 70,208 196,208' -stroke none -fill "$ink" \
  -draw 'polygon 150,220 150,250 158,243 164,256 169,254 163,241 173,241' -fill white \
  -stroke "$line" -draw 'roundrectangle 420,110 600,170 8,8' \
  -draw 'roundrectangle 420,220 600,280 8,8' -stroke none -font "$font" -pointsize 13 -fill "$ink" \
  -annotate +434+136 'article page' -fill "$muted" -annotate +434+156 'opens as usual' \
  -fill "$ink" -annotate +434+246 'tracker.example' -fill "$muted" \
  -annotate +434+266 'ping not sent' -stroke "$good" -strokewidth 4 -draw 'line 256,180 410,142' \
  -stroke none -fill "$good" -draw 'polygon 402,134 416,140 404,150' -stroke "$bad" -strokewidth 4 \
  -draw 'line 256,220 410,250' -stroke none -fill "$bad" -draw 'polygon 402,240 416,252 400,258'
cross 316 214 356 254
frame 14.png 'Prevent website tracking clicks' \
  'Links work as before, but the extra notice a page can send to a tracking' \
  'address when you click one ("ping") is not sent.'

echo "Preview pictures written to $out/"
