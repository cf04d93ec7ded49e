#!/usr/bin/env bash
# Makes a demo working directory for the client from sample/:
#   scripts/demo-dir.sh DIR PORT [PROBE_PORT]
# Keelsys.ini gets the server port and the probe channel's port (default
# PORT + 1) and is stored in GBK, as the client's files
# are; Keelmon.bmp (the main window's background) is drawn here rather than
# kept in the repository. Files already in DIR other than these are kept.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir=${1:?usage: demo-dir.sh DIR PORT [PROBE_PORT]}
port=${2:?usage: demo-dir.sh DIR PORT [PROBE_PORT]}
probe_port=${3:-$((port + 1))}

mkdir -p "$dir"
# Everything of sample/ except the templates and the notes.
(cd "$root/sample" && find . -type f ! -name '*.in' ! -name 'README.md' -print0 |
  while IFS= read -r -d '' file; do
    mkdir -p "$dir/$(dirname "$file")"
    cp "$file" "$dir/$file"
  done)

sed -e "s/@SERVER_PORT@/$port/g" -e "s/@PROBE_PORT@/$probe_port/g" "$root/sample/Keelsys.ini.in" | iconv -f UTF-8 -t GBK > "$dir/Keelsys.ini"

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
echo "demo working directory: $dir"
