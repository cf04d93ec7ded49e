#!/usr/bin/env bash
# Start-up time and idle memory of the host:
#   scripts/measure-startup.sh [BUILD_DIR] [RUNS]
# Starts keelmon-server on a free loopback port with a demo database, makes a
# working directory whose Keelsys.ini names the five service libraries and five
# module libraries (PerfDesk and the four modules built for the tests), and runs
# keelmon --measure-startup offscreen RUNS times. Each run prints the time from
# launch to the main window shown, login left out, and the resident memory
# after two idle seconds. With MEASURE_DISPLAY=xvfb the runs use a real X
# server (xvfb-run) instead of the offscreen platform.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
runs=${2:-5}
bin="$build/bin"
modules="$build/tests/modules"
for file in "$bin/keelmon" "$bin/keelmon-server" "$bin/libPerfDesk.so" "$modules/libTestModuleAlpha.so"; do
  [[ -e $file ]] || { echo "measure-startup: $file is missing: build keelmon, keelmon-server, PerfDesk and hostapp_test first" >&2; exit 1; }
done

work="$(mktemp -d)"
server_pid=
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
"$bin/keelmon-server" --port "$port" --no-discovery --listen 127.0.0.1 --db "$work/keelmon.db" --demo \
  --admin-password measure >/dev/null 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.05
done

mkdir -p "$work/run"
if command -v convert >/dev/null; then
  convert -size 1280x800 'gradient:#0f2740-#3d6f9c' -type TrueColor "BMP3:$work/run/Keelmon.bmp"
fi
{
  printf '[SYS]\nmainServerIP=127.0.0.1\nmainServerPort=%s\ndomainPort=%s\nnav=1\nnavtype=1\n' "$port" "$port"
  printf '[SYSTEMSERVICE]\nserviceCount=5\n'
  n=0
  for service in ElementService:InventorySvc AlertService:AlarmSvc SecurityService:AccessSvc TPService:MapSvc SysService:CatalogSvc; do
    printf 'service%d.name=%s\nservice%d.DLLname=lib%s.so\n' $n "${service%%:*}" $n "${service##*:}"
    n=$((n + 1))
  done
  printf '[SYSTEMMODULE]\nmoduleCount=5\n'
  n=0
  for module in "Watch:$bin/libPerfDesk.so" Alpha Beta Gamma Delta; do
    name=${module%%:*}
    library=${module#*:}
    [[ $library == "$module" ]] && library="$modules/libTestModule$name.so"
    printf 'module%d.name=%s\nmodule%d.group=G%d\nmodule%d.imageID=%d\nmodule%d.DLLname=%s\n' \
      $n "$name" $n $((n % 2)) $n $n $n "$library"
    n=$((n + 1))
  done
} > "$work/run/Keelsys.ini"

cd "$work/run"
launcher=(env QT_QPA_PLATFORM=offscreen)
if [[ ${MEASURE_DISPLAY:-} == xvfb ]]; then
  launcher=(xvfb-run -a -s '-screen 0 1280x800x24' env QT_QPA_PLATFORM=xcb)
fi
for run in $(seq "$runs"); do
  # The launch time is taken inside the display wrapper, right before keelmon starts.
  "${launcher[@]}" bash -c 'KEELMON_LAUNCH_NS=$(date +%s%N) exec "$0" --user admin --password measure --measure-startup' \
    "$bin/keelmon" 2>/dev/null | tr '\n' ' '
  echo
done
