#!/usr/bin/env bash
# Makes a demo working directory for the client from sample/:
#   scripts/demo-dir.sh DIR PORT [PROBE_PORT [DATA_PORT]]
# Keelsys.ini gets the server port, the probe channel's port (default
# PORT + 1) and the report data channel's port (default PORT + 3) and is
# stored in GBK, as the client's files are; Keelmon.bmp (the main window's
# background) and StatView/StatView_Top.bmp (the report program's banner) are
# drawn here rather than kept in the repository; an empty
# StatView/StatView.ini is made for the monitoring module to fill. Files
# already in DIR other than these are kept.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir=${1:?usage: demo-dir.sh DIR PORT [PROBE_PORT [DATA_PORT]]}
port=${2:?usage: demo-dir.sh DIR PORT [PROBE_PORT [DATA_PORT]]}
probe_port=${3:-$((port + 1))}
data_port=${4:-$((port + 3))}

mkdir -p "$dir"
# Everything of sample/ except the templates and the notes.
(cd "$root/sample" && find . -type f ! -name '*.in' ! -name 'README.md' -print0 |
  while IFS= read -r -d '' file; do
    mkdir -p "$dir/$(dirname "$file")"
    cp "$file" "$dir/$file"
  done)

sed -e "s/@SERVER_PORT@/$port/g" -e "s/@PROBE_PORT@/$probe_port/g" -e "s/@DATA_PORT@/$data_port/g" \
  "$root/sample/Keelsys.ini.in" | iconv -f UTF-8 -t GBK > "$dir/Keelsys.ini"
mkdir -p "$dir/StatView"
[[ -e "$dir/StatView/StatView.ini" ]] || printf '[StatView]\r\n' > "$dir/StatView/StatView.ini"

if [[ ! -s "$dir/Keelmon.bmp" ]]; then
  if ! command -v convert >/dev/null; then
    echo "demo-dir: ImageMagick's convert is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
  fi
  title=()
  font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
  if [[ -f $font ]]; then
    title=(-font "$font" -fill '#dce8f4' -pointsize 56 -gravity center -annotate +0-40 'Keelmon 2.0'
           -pointsize 36 -annotate +0+40 '网络运维平台')
  fi
  convert -size 1280x800 'gradient:#0f2740-#3d6f9c' "${title[@]}" -type TrueColor "BMP3:$dir/Keelmon.bmp"
fi
if [[ ! -s "$dir/StatView/StatView_Top.bmp" ]]; then
  banner=()
  font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
  if [[ -f $font ]]; then
    banner=(-font "$font" -fill '#dce8f4' -pointsize 26 -gravity west -annotate +24+0 'Keelmon 2.0 检测报告')
  fi
  convert -size 1200x60 'gradient:#0f2740-#3d6f9c' "${banner[@]}" -type TrueColor "BMP3:$dir/StatView/StatView_Top.bmp"
fi
echo "demo working directory: $dir"
