#!/usr/bin/env bash
# Starts or stops nginx terminating TLS in front of the tests' update service, with the
# deployment's own configuration (service/nginx-quorvane.conf) and a test CA made at start.
#   net-tls.sh start RUNDIR PORT SERVICEPORT   fresh RUNDIR with a test CA (ca.der for the Wine
#                                              root store) and a certificate for localhost; nginx on
#                                              127.0.0.1:PORT forwarding to SERVICEPORT
#   net-tls.sh stop RUNDIR                     stop that nginx and delete RUNDIR
# nginx runs unprivileged (as nobody when started by root), keeps its logs and temporary files
# in RUNDIR and stops by itself after an hour, so an interrupted run leaves nothing for long.
set -euo pipefail
action=$1
run=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)

stop_nginx() {
  [ -f "$run/launcher.pid" ] || return 0
  local pid
  pid=$(cat "$run/launcher.pid")
  if [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "-p $run/"; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  rm -f "$run/launcher.pid"
}

# A test CA and a certificate for localhost signed by it.
make_certificates() {
  local request=(openssl req -nodes -newkey rsa:2048 -days 2)
  "${request[@]}" -x509 -keyout "$run/ca.key" -out "$run/ca.pem" -subj "/CN=Quorvane Test CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
  "${request[@]}" -keyout "$run/server.key" -out "$run/server.csr" -subj "/CN=localhost"
  printf '%s\n' "subjectAltName=DNS:localhost" "basicConstraints=CA:FALSE" \
    "extendedKeyUsage=serverAuth" >"$run/server.ext"
  openssl x509 -req -in "$run/server.csr" -CA "$run/ca.pem" -CAkey "$run/ca.key" \
    -CAcreateserial -days 2 -extfile "$run/server.ext" -out "$run/server.pem"
  openssl x509 -in "$run/ca.pem" -outform DER -out "$run/ca.der"
}

case "$action" in
  start)
    port=$3
    service_port=$4
    stop_nginx
    rm -rf "$run"
    mkdir -p "$run/tmp"
    make_certificates 2>"$run/openssl.log"
    sed -e "s|listen 443 ssl;|listen 127.0.0.1:$port ssl;|" \
        -e "s|server 127.0.0.1:8080;|server 127.0.0.1:$service_port;|" \
        -e "s|server_name .*;|server_name localhost;|" \
        -e "s|ssl_certificate .*;|ssl_certificate $run/server.pem;|" \
        -e "s|ssl_certificate_key .*;|ssl_certificate_key $run/server.key;|" \
        "$root/service/nginx-quorvane.conf" >"$run/quorvane.conf"
    cat >"$run/nginx.conf" <<CONF
pid $run/nginx.pid;
worker_processes 1;
events { worker_connections 64; }
http {
    access_log $run/access.log;
    client_body_temp_path $run/tmp/body;
    proxy_temp_path $run/tmp/proxy;
    fastcgi_temp_path $run/tmp/fastcgi;
    uwsgi_temp_path $run/tmp/uwsgi;
    scgi_temp_path $run/tmp/scgi;
    include $run/quorvane.conf;
}
CONF
    as_user=()
    if [ "$(id -u)" -eq 0 ]; then
      chown -R nobody "$run"
      as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    setsid timeout 3600 "${as_user[@]}" nginx -p "$run/" -c "$run/nginx.conf" -e "$run/error.log" \
      -g "daemon off;" </dev/null >"$run/nginx.log" 2>&1 &
    echo $! >"$run/launcher.pid"
    for _ in $(seq 100); do
      if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        echo "nginx ready on 127.0.0.1:$port"
        exit 0
      fi
      sleep 0.1
    done
    cat "$run/nginx.log" "$run/error.log" >&2 || true
    echo "nginx did not start on port $port" >&2
    stop_nginx
    exit 1
    ;;
  stop)
    stop_nginx
    rm -rf "$run"
    ;;
  *)
    echo "usage: $0 start RUNDIR PORT SERVICEPORT | stop RUNDIR" >&2
    exit 2
    ;;
esac
