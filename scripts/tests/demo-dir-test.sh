#!/usr/bin/env bash
# scripts/demo-dir.sh: UTF-8 templates (*.in, at any depth) arrive in GBK with
# the port put in, other files are copied unchanged, and a template GBK
# cannot hold stops the script with the file's name.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prepare() { # DIR: a working folder whose background already exists
  mkdir -p "$1"
  printf 'BM-not-drawn-again' > "$1/Keelmon.bmp"
}

# The repository's own samples.
prepare "$work/demo"
bash "$root/scripts/demo-dir.sh" "$work/demo" 40123 40200 40300 >/dev/null
expected=$(sed -e 's/@SERVER_PORT@/40123/g' -e 's/@PROBE_PORT@/40200/g' -e 's/@DATA_PORT@/40300/g' "$root/sample/Keelsys.ini.in")
[[ "$(iconv -f GBK -t UTF-8 "$work/demo/Keelsys.ini")" == "$expected" ]] || fail "Keelsys.ini is not the template in GBK"
grep -q 'mainServerPort=40123' "$work/demo/Keelsys.ini" || fail "the port was not put in"
[[ ! -e "$work/demo/Keelsys.ini.in" && ! -e "$work/demo/README.md" ]] || fail "templates or notes were copied"

# A sample folder with a nested template and a plain file.
sample="$work/sample"
mkdir -p "$sample/config"
printf '[TREEICO]\nTypeCount=1\nType0.image=监测器.bmp\nport=@SERVER_PORT@\n' > "$sample/config/MTree.ini.in"
printf '\x00\x01binary\xff' > "$sample/config/picture.bin"
prepare "$work/nested"
KEEL_SAMPLE_DIR="$sample" bash "$root/scripts/demo-dir.sh" "$work/nested" 7 >/dev/null
printf '[TREEICO]\nTypeCount=1\nType0.image=\xbc\xe0\xb2\xe2\xc6\xf7.bmp\nport=7\n' > "$work/expected.ini"
cmp -s "$work/expected.ini" "$work/nested/config/MTree.ini" || fail "config/MTree.ini is not the template in GBK with the port"
cmp -s "$sample/config/picture.bin" "$work/nested/config/picture.bin" || fail "a plain file was changed"

# A character GBK has no code for.
printf 'name=\xf0\x9f\x98\x80\n' > "$sample/config/Bad.ini.in"
prepare "$work/bad"
if message=$(KEEL_SAMPLE_DIR="$sample" bash "$root/scripts/demo-dir.sh" "$work/bad" 7 2>&1); then
  fail "a template GBK cannot hold was accepted"
fi
[[ "$message" == *"config/Bad.ini.in is not UTF-8 text that GBK can hold"* ]] || fail "unclear message: $message"
[[ ! -e "$work/bad/config/Bad.ini" ]] || fail "a half-converted file was left"
echo "demo-dir: all checks passed"
