#!/usr/bin/env bash
# Side-by-side HTTP load: fingerbridge against nginx (one worker, no keep-alive)
# on loopback, with the same loads, one server after the other.
#
#   bench/http.sh                  # 10 s a load; DURATION=30 bench/http.sh for longer
#
# Needs: a built build/fingerbridge, wrk, nginx (Debian: wrk nginx-light).
set -euo pipefail
cd "$(dirname "$0")/.."
DURATION=${DURATION:-10}
BINARY=${BINARY:-$PWD/build/fingerbridge}
NGINX_PORT=8081
for tool in wrk nginx curl; do command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }; done
[ -x "$BINARY" ] || { echo "build first: make build" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/frontend/biometric"
# A 5 KB page, served by both.
head -c 5120 /dev/zero | tr '\0' 'x' > "$work/frontend/biometric/five-kb.html"

config_body='{"csrfToken": "'$(printf 'a%.0s' $(seq 1 64))'"}'
demo_body='{"success": true, "imageBase64": "", "templateBase64": "Template2_'$(printf 'B%.0s' $(seq 1 90))'=="}'
cat > "$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 4096; }
http {
  access_log off;
  keepalive_timeout 0;
  client_body_temp_path $work; proxy_temp_path $work; fastcgi_temp_path $work;
  uwsgi_temp_path $work; scgi_temp_path $work;
  server {
    listen 127.0.0.1:$NGINX_PORT;
    root $work/frontend/biometric;
    add_header Access-Control-Allow-Origin *;
    location = /api/config { default_type application/json; return 200 '$config_body'; }
    location /api/demoscan/single { default_type application/json; return 200 '$demo_body'; }
  }
}
CONF

(cd "$work/run" && exec "$BINARY" >/dev/null 2>&1) &
nginx -c "$work/nginx.conf"
for _ in $(seq 1 100); do
  curl -s -o /dev/null http://127.0.0.1:8080/api/config && curl -s -o /dev/null http://127.0.0.1:$NGINX_PORT/five-kb.html && break
  sleep 0.1
done
token=$(curl -s http://127.0.0.1:8080/api/config | sed 's/.*"csrfToken": "\([0-9a-f]*\)".*/\1/')

# Prints "requests/s p50 p99" (latencies in ms) for one wrk run.
measure() {
  local url=$1 clients=$2 threads=1
  [ "$clients" -gt 1 ] && threads=2
  wrk -t"$threads" -c"$clients" -d"${DURATION}s" --latency -H "Connection: close" \
      -H "X-CSRF-Token: $token" "$url" |
    awk '
      function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /s$/) return v * 1000; return v }
      /Requests\/sec/ { rps = $2 }
      $1 == "50%" { p50 = ms($2) }
      $1 == "99%" { p99 = ms($2) }
      /Non-2xx|Socket errors/ { errors = errors " [" $0 "]" }
      END { printf "%.0f %.3f %.3f%s\n", rps, p50, p99, errors }'
}

printf '%-32s %7s | %10s %8s %8s | %10s %8s %8s | %6s\n' load clients \
  "fb req/s" "fb p50" "fb p99" "nginx r/s" "ng p50" "ng p99" "ratio"
for load in /five-kb.html /api/config "/api/demoscan/single?finger=2"; do
  for clients in 1 32; do
    read -r fb_rps fb_p50 fb_p99 fb_err < <(measure "http://127.0.0.1:8080$load" "$clients")
    read -r ng_rps ng_p50 ng_p99 ng_err < <(measure "http://127.0.0.1:$NGINX_PORT$load" "$clients")
    printf '%-32s %7s | %10s %7sms %7sms | %10s %7sms %7sms | %6.2f %s\n' "$load" "$clients" \
      "$fb_rps" "$fb_p50" "$fb_p99" "$ng_rps" "$ng_p50" "$ng_p99" \
      "$(echo "$fb_rps / $ng_rps" | bc -l)" "${fb_err:-}${ng_err:-}"
  done
done
