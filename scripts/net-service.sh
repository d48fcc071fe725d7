#!/usr/bin/env bash
# Starts or stops a private update service for the Windows network tests, which run under Wine
# and reach it on the loopback address.
#   net-service.sh start RUNDIR BINARY PORT ADMINPORT RELEASE
#                                             fresh RUNDIR with an empty database and the
#                                             published release RELEASE (the program's own
#                                             version), service on 127.0.0.1:PORT and its admin
#                                             listener on ADMINPORT, ready on return
#   net-service.sh stop RUNDIR                stop that service and delete RUNDIR
# The service also stops by itself after an hour, so an interrupted test run leaves nothing
# running for long.
set -euo pipefail
action=$1
run=$(realpath -m "$2")
pidfile=$run/service.pid

# Stops the service recorded in RUNDIR, if it is still ours and still running.
stop_service() {
  [ -f "$pidfile" ] || return 0
  local pid
  pid=$(cat "$pidfile")
  if [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "--database $run/"; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 100); do
      # Gone, or a zombie waiting for a parent that is not ours to reap.
      if ! [ -r "/proc/$pid/stat" ] || [ "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" = Z ]; then
        break
      fi
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$pidfile"
}

case "$action" in
  start)
    binary=$3
    port=$4
    admin_port=$5
    release=$6
    if ! [ -x "$binary" ]; then
      echo "no update service at $binary: build the native preset first, or configure the" \
           "windows tree with -DQUORVANE_SERVICE_BINARY=<native tree>/service/quorvane-service" >&2
      exit 1
    fi
    stop_service
    rm -rf "$run"
    mkdir -p "$run"
    echo "$release" >"$run/release.txt"
    setsid "$binary" --address 127.0.0.1 --port "$port" --database "$run/usage.sqlite" \
      --release-file "$run/release.txt" --admin-port "$admin_port" --stop-after 3600 \
      </dev/null >"$run/service.log" 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 200); do
      if grep -q "admin on" "$run/service.log"; then
        cat "$run/service.log"
        exit 0
      fi
      if ! kill -0 "$(cat "$pidfile")" 2>/dev/null; then
        break
      fi
      sleep 0.1
    done
    cat "$run/service.log" >&2
    echo "the update service did not start on port $port (in use? configure the windows tree" \
         "with -DQUORVANE_TEST_SERVICE_PORT=<free port>)" >&2
    stop_service
    exit 1
    ;;
  stop)
    stop_service
    if [ -f "$run/service.log" ]; then
      cat "$run/service.log"
    fi
    rm -rf "$run"
    ;;
  *)
    echo "usage: $0 start RUNDIR BINARY PORT ADMINPORT RELEASE | stop RUNDIR" >&2
    exit 2
    ;;
esac
