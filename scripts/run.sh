#!/usr/bin/env bash
# Runs the platform on this machine (Debian 12, as root): installs what is
# missing, builds, makes a demo working directory from sample/, starts the
# reference server with its demo data on loopback and the client against it,
# and stops the server when the client exits.
#
# Log in as "admin" with the password "keelmon" (the demo account; the server
# also has "operator"/"operator"). Without a display the client cannot be
# shown: a scripted tour then runs under a virtual display and saves a
# picture of every step.
#
# Environment: KEELMON_BUILD_DIR (default build), KEELMON_DEMO_DIR (default
# build/demo), KEELMON_DEMO_PORT (default: the first free port from 8899),
# KEELMON_DATA_PORT (the report program's data channel; default: the first
# free port from the server's port + 3). The
# demo database stays in the demo directory between runs; remove the
# directory to start afresh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

readonly demo_user=admin
readonly demo_password=keelmon

bash scripts/install-deps.sh
build=${KEELMON_BUILD_DIR:-$root/build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$(nproc)"
bin="$build/bin"

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# The first free port from $1 that is not among the rest.
free_port() {
  local from=$1; shift
  for candidate in $(seq "$from" 8999); do
    [[ " $* " == *" $candidate "* ]] && continue
    if ! listening "$candidate"; then echo "$candidate"; return; fi
  done
}

port=${KEELMON_DEMO_PORT:-$(free_port 8899)}
[[ -n $port ]] || { echo "run: no free port between 8899 and 8999; set KEELMON_DEMO_PORT" >&2; exit 1; }
probe_port=$(free_port $((port + 1)) "$port")
http_port=$(free_port $((port + 2)) "$port" "$probe_port")
data_port=${KEELMON_DATA_PORT:-$(free_port $((port + 3)) "$port" "$probe_port" "$http_port")}
[[ -n $probe_port && -n $http_port && -n $data_port ]] || {
  echo "run: no free ports for the probe channel, status endpoint and report data channel" >&2; exit 1; }

demo=${KEELMON_DEMO_DIR:-$build/demo}
bash scripts/demo-dir.sh "$demo" "$port" "$probe_port" "$data_port"

# Everything stays on this machine: discovery asks loopback only.
export KEELMON_DISCOVERY_TARGET=127.0.0.1

# The monitoring engine checks only 127.0.0.0/8: the demo's devices are this machine.
"$bin/keelmon-server" --port "$port" --discovery-port "$port" --listen 127.0.0.1 \
  --probe-port "$probe_port" --http-port "$http_port" --check-scope loopback --data-port "$data_port" \
  --db "$demo/keelmon.db" --demo --admin-password "$demo_password" 2>"$demo/server.log" &
server=$!
stop_server() {
  if kill -0 "$server" 2>/dev/null; then
    kill -TERM "$server"
    wait "$server" 2>/dev/null || true
  fi
  echo "server stopped (its log: $demo/server.log)"
}
trap stop_server EXIT

for _ in $(seq 100); do
  listening "$port" && break
  kill -0 "$server" 2>/dev/null || { cat "$demo/server.log" >&2; echo "run: keelmon-server did not start" >&2; exit 1; }
  sleep 0.1
done
listening "$port" || { echo "run: keelmon-server does not answer on 127.0.0.1:$port" >&2; exit 1; }
echo "keelmon-server on 127.0.0.1:$port (probe channel $probe_port, report data channel $data_port, status http://127.0.0.1:$http_port/metrics), database $demo/keelmon.db"

cd "$demo"
if [[ -n ${DISPLAY:-} ]]; then
  echo "starting keelmon: log in as \"$demo_user\" with the password \"$demo_password\""
  status=0
  "$bin/keelmon" || status=$?
else
  tour="$demo/tour-$(date +%Y%m%d-%H%M%S)"
  echo "No display (DISPLAY is empty), so the client cannot be shown here."
  echo "Running a scripted tour under a virtual display instead: it logs in as \"$demo_user\","
  echo "opens every configured module, runs a report of a demo monitor and saves a picture of each step."
  status=0
  KEELMON_TOUR_PASSWORD="$demo_password" KEELMON_TOUR_SERVER_PID="$server" xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$bin/keelmon" --tour "$tour" || status=$?
  echo "tour pictures: $tour"
fi
exit "$status"
