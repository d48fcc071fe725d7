#!/usr/bin/env bash
# Load figures of the update service on this machine: wrk against the optimised build on the
# loopback address, each run bounded in time. Not a test: it prints figures and stops.
#   service-load.sh [SECONDS [CONNECTIONS]]   seconds per measured run (default 10) and open
#                                             connections (default 16)
# Builds the service-release preset when needed, runs the service on a free loopback port with a
# fresh database in a temporary folder, measures version checks and usage reports (requests/s,
# latency percentiles), then sends a million usage reports of varied values and prints the size
# of the database.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
connections=${2:-16}
service=build/service-release/service/quorvane-service
if ! [ -x "$service" ]; then
  cmake --preset service-release >/dev/null
  cmake --build --preset service-release --target quorvane-service >/dev/null
fi
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
echo 1.0.2 >"$work/release.txt"
"$service" --port 0 --admin-port 0 --database "$work/usage.sqlite" \
  --release-file "$work/release.txt" --stop-after 1800 >"$work/service.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
  grep -q "admin on" "$work/service.log" && break
  sleep 0.1
done
port=$(sed -n 's/.*listening on .* port //p' "$work/service.log")
admin=$(sed -n 's/.*admin on .* port //p' "$work/service.log")
base="http://127.0.0.1:$port"

cat >"$work/usage.lua" <<'LUA'
wrk.method = "POST"
wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"
wrk.body = "product=5&version=100001&edition=1&kind=2&build=19045&usage=9"
LUA
# Reports as many installations send them: 3 versions, 2 editions, 40 Windows builds, 15 sets.
cat >"$work/varied.lua" <<'LUA'
wrk.method = "POST"
wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"
request = function()
  local body = string.format("product=5&version=%d&edition=%d&kind=2&build=%d&usage=%d",
    100000 + math.random(0, 2), math.random(1, 2), 19000 + math.random(0, 39), math.random(1, 15))
  return wrk.format(nil, "/v1/usage", nil, body)
end
LUA

measure() {
  echo "== $1"
  shift
  wrk -t2 -c"$connections" -d"${seconds}s" --latency "$@" | grep -E 'Requests/sec|^ +(50|90|99)%|Non-2xx|Socket errors'
}
measure "version checks" "$base/v1/version?product=5&version=100001&edition=1&fresh=0"
measure "usage reports" -s "$work/usage.lua" "$base/v1/usage"

reports() {
  curl_like=$(exec 3<>"/dev/tcp/127.0.0.1/$admin" && printf 'GET /v1/inspect HTTP/1.0\r\n\r\n' >&3 && cat <&3)
  sed -n 's/.*"reports":{"count":\([0-9]*\).*/\1/p' <<<"$curl_like"
}
echo "== a million usage reports of varied values"
for _ in $(seq 30); do
  [ "$(reports)" -ge 1000000 ] && break
  wrk -t2 -c64 -d10s -s "$work/varied.lua" "$base/v1/usage" >/dev/null
done
kill -TERM "$pid"
wait "$pid" || true
rows=$(sqlite3 "$work/usage.sqlite" 'SELECT COUNT(*), SUM(count) FROM report_counts')
echo "reports counted, rows: $(cut -d'|' -f2 <<<"$rows"), $(cut -d'|' -f1 <<<"$rows")"
echo "database size: $(du -k "$work"/usage.sqlite* | awk '{sum += $1} END {print sum}') KB"
