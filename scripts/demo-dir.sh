#!/usr/bin/env bash
# Makes a demo working directory for the client from sample/:
#   scripts/demo-dir.sh DIR PORT
# Every NAME.in of sample/ (at any depth) is kept in UTF-8 in the repository
# and written to DIR as NAME in GBK, as the client's files are, with
# @SERVER_PORT@ replaced by PORT. Other files are copied as they are.
# Keelmon.bmp (the main window's background) is drawn here rather than kept in
# the repository. Files already in DIR other than these are kept.
# KEEL_SAMPLE_DIR names another sample folder (the script's test uses it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir=${1:?usage: demo-dir.sh DIR PORT}
port=${2:?usage: demo-dir.sh DIR PORT}
sample=${KEEL_SAMPLE_DIR:-$root/sample}

mkdir -p "$dir"
# Everything of sample/ except the templates and the notes.
(cd "$sample" && find . -type f ! -name '*.in' ! -name 'README.md' -print0 |
  while IFS= read -r -d '' file; do
    mkdir -p "$dir/$(dirname "$file")"
    cp "$file" "$dir/$file"
  done)

# The UTF-8 templates, converted to GBK.
(cd "$sample" && find . -type f -name '*.in' -print0 |
  while IFS= read -r -d '' template; do
    target="$dir/${template%.in}"
    mkdir -p "$(dirname "$target")"
    if ! sed "s/@SERVER_PORT@/$port/g" "$template" | iconv -f UTF-8 -t GBK > "$target"; then
      rm -f "$target"
      echo "demo-dir: $sample/${template#./} is not UTF-8 text that GBK can hold; fix the file" >&2
      exit 1
    fi
  done)

font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
if [[ ! -s "$dir/Keelmon.bmp" ]]; then
  if ! command -v convert >/dev/null; then
    echo "demo-dir: ImageMagick's convert is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
  fi
  title=()
  if [[ -f $font ]]; then
    title=(-font "$font" -fill '#dce8f4' -pointsize 56 -gravity center -annotate +0-40 'Keelmon 2.0'
           -pointsize 36 -annotate +0+40 '网络运维平台')
  fi
  convert -size 1280x800 'gradient:#0f2740-#3d6f9c' "${title[@]}" -type TrueColor "BMP3:$dir/Keelmon.bmp"
fi
# The topology module's pictures: the backgrounds of the demo topology under
# UserImage/ and the cell bitmaps under CellImage/ (status.bmp, status1.bmp and
# status2.bmp for the states normal, warning and error).
draw_picture() { # FILE SIZE FROM-TO LABEL
  [[ -s $1 ]] && return
  local label=()
  [[ -f $font ]] && label=(-font "$font" -fill '#ffffff' -pointsize 28 -gravity north -annotate +0+16 "$4")
  convert -size "$2" "gradient:$3" -stroke '#ffffff80' -fill none -draw 'rectangle 40,80 760,560' \
    "${label[@]}" -quality 85 "$1"
}
draw_cell() { # FILE COLOUR
  [[ -s $1 ]] && return
  convert -size 12x12 xc:'#fafafa' -fill "$2" -stroke '#303030' -draw 'circle 5.5,5.5 5.5,0.5' -type TrueColor "BMP3:$1"
}
mkdir -p "$dir/UserImage" "$dir/CellImage"
draw_picture "$dir/UserImage/总拓扑.jpg" 800x600 '#1d3b56-#4f7fa8' '总拓扑'
draw_picture "$dir/UserImage/北京机房.jpg" 640x480 '#23432f-#5a8f6a' '北京机房'
draw_picture "$dir/UserImage/上海机房.jpg" 640x480 '#3e2f4f-#7a6596' '上海机房'
draw_cell "$dir/CellImage/status.bmp" '#20c040'
draw_cell "$dir/CellImage/status1.bmp" '#f0c020'
draw_cell "$dir/CellImage/status2.bmp" '#e02020'
draw_cell "$dir/CellImage/router.bmp" '#3080e0'
draw_cell "$dir/CellImage/switch.bmp" '#30c0c0'
draw_cell "$dir/CellImage/server.bmp" '#a0a0a0'

echo "demo working directory: $dir"
