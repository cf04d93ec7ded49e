#!/usr/bin/env bash
# Makes a demo working directory for the client from sample/:
#   scripts/demo-dir.sh DIR PORT [PROBE_PORT [DATA_PORT]]
# Every NAME.in of sample/ (at any depth) is kept in UTF-8 in the repository
# and written to DIR as NAME in GBK, as the client's files are, with
# @SERVER_PORT@ replaced by PORT, @PROBE_PORT@ by the probe channel's port
# (default PORT + 1) and @DATA_PORT@ by the report data channel's port
# (default PORT + 3). Other files are copied as they are.
# Keelmon.bmp (the main window's background), the tree icons under ico/ and
# StatView/StatView_Top.bmp (the report program's banner) are drawn here
# rather than kept in the repository; an empty StatView/StatView.ini is made
# for the monitoring module to fill. Files already in DIR other than these
# are kept.
# KEEL_SAMPLE_DIR names another sample folder (the script's test uses it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir=${1:?usage: demo-dir.sh DIR PORT [PROBE_PORT [DATA_PORT]]}
port=${2:?usage: demo-dir.sh DIR PORT [PROBE_PORT [DATA_PORT]]}
probe_port=${3:-$((port + 1))}
data_port=${4:-$((port + 3))}
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
    if ! sed -e "s/@SERVER_PORT@/$port/g" -e "s/@PROBE_PORT@/$probe_port/g" -e "s/@DATA_PORT@/$data_port/g" \
      "$template" | iconv -f UTF-8 -t GBK > "$target"; then
      rm -f "$target"
      echo "demo-dir: $sample/${template#./} is not UTF-8 text that GBK can hold; fix the file" >&2
      exit 1
    fi
  done)
mkdir -p "$dir/StatView"
[[ -e "$dir/StatView/StatView.ini" ]] || printf '[StatView]\r\n' > "$dir/StatView/StatView.ini"

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
# Tree icons (MTree.ini, EntityTree.ini): one 16 x 16 picture per element kind
# and state on the mask colour #FAFAFA; states normal, warning, error, unknown.
if [[ ! -s "$dir/ico/Server.bmp" ]]; then
  mkdir -p "$dir/ico"
  colours=('#2e9e44' '#e0a800' '#d0312d' '#8a8a8a')
  declare -A shapes=(
    [root]='circle 7.5,7.5 7.5,1'
    [group]='polygon 1,4 6,4 7,2 14,2 14,13 1,13'
    [network]='polygon 7.5,1 14,7.5 7.5,14 1,7.5'
    [windows]='rectangle 2,2 13,13'
    [unix]='polygon 7.5,1 14,14 1,14')
  for kind in root group network windows unix; do
    for state in 0 1 2 3; do
      convert -size 16x16 'xc:#FAFAFA' -fill "${colours[$state]}" -stroke '#303030' \
        -draw "${shapes[$kind]}" -type TrueColor "BMP3:$dir/ico/$kind$state.bmp"
    done
  done
  convert -size 16x16 'xc:#FAFAFA' -fill '#5a7fa8' -stroke '#303030' -draw 'rectangle 3,1 12,14' \
    -type TrueColor "BMP3:$dir/ico/Server.bmp"
fi
if [[ ! -s "$dir/StatView/StatView_Top.bmp" ]]; then
  banner=()
  font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
  if [[ -f $font ]]; then
    banner=(-font "$font" -fill '#dce8f4' -pointsize 26 -gravity west -annotate +24+0 'Keelmon 2.0 检测报告')
  fi
  convert -size 1200x60 'gradient:#0f2740-#3d6f9c' "${banner[@]}" -type TrueColor "BMP3:$dir/StatView/StatView_Top.bmp"
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
