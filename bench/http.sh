#!/usr/bin/env bash
# Side-by-side HTTP load: fingerbridge against nginx (one worker, no keep-alive)
# on loopback, a new connection per request, with the same loads. Each pair is
# run three times (the order alternating, so drift favours neither); every
# run's figures are printed, then the median of the runs' ratios.
#
#   bench/http.sh                  # 10 s a load; DURATION=30 bench/http.sh for longer
#   BINARY=build-perf/fingerbridge bench/http.sh
#
# Both servers share one core and wrk gets the rest, so the client never takes
# a server's time. wrk counts a read error for each fingerbridge reply: the
# reply does not say "Connection: close", so wrk finds the connection closed
# where it expected to reuse it. It runs in a network namespace of its own (as the tests do),
# and first waits, up to QUIET_WAIT seconds, for the 1-minute load to fall under
# QUIET_LOAD: figures taken beside a compile mean little.
#
# Needs: a built fingerbridge, wrk, nginx, curl, bc, taskset, unshare, ip
# (Debian: wrk nginx-light curl bc util-linux iproute2; installed when missing
# and run as root).
set -euo pipefail
cd "$(dirname "$0")/.."
DURATION=${DURATION:-10}
RUNS=${RUNS:-3}
BINARY=$(realpath "${BINARY:-build/fingerbridge}")
QUIET_LOAD=${QUIET_LOAD:-0.5}
QUIET_WAIT=${QUIET_WAIT:-1200}
SERVER_CORE=${SERVER_CORE:-0}
CLIENT_CORES=${CLIENT_CORES:-1-$(($(nproc) - 1))}
NGINX_PORT=8081
PATH=$PATH:/usr/sbin:/sbin
tools=(wrk nginx curl bc taskset unshare ip)
packages=(wrk nginx-light curl bc util-linux util-linux iproute2)  # each tool's Debian package
missing=()
for i in "${!tools[@]}"; do
  command -v "${tools[$i]}" >/dev/null || missing+=("${packages[$i]}")
done
if [ ${#missing[@]} -gt 0 ] && [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$BINARY" ] || { echo "build first: make build" >&2; exit 1; }

# Its own network: nothing else on these ports, nothing of ours outside.
if [ -z "${FINGERBRIDGE_BENCH_NETWORK:-}" ]; then
  waited=0
  while load=$(cut -d' ' -f1 /proc/loadavg); [ "$(echo "$load >= $QUIET_LOAD" | bc)" = 1 ]; do
    if [ "$waited" -ge "$QUIET_WAIT" ]; then
      echo "note: the 1-minute load never fell under $QUIET_LOAD in ${QUIET_WAIT}s (now $load)"
      break
    fi
    sleep 30
    waited=$((waited + 30))
  done
  echo "1-minute load at the start: $(cut -d' ' -f1 /proc/loadavg) (waited ${waited}s)"
  export FINGERBRIDGE_BENCH_NETWORK=1 BINARY
  exec unshare -rn sh -c 'PATH=$PATH:/usr/sbin:/sbin ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/frontend/biometric"
# A 5 KB page, served by both.
head -c 5120 /dev/zero | tr '\0' 'x' > "$work/frontend/biometric/five-kb.html"

config_body='{"csrfToken": "'$(printf 'a%.0s' $(seq 1 64))'"}'
demo_body='{"success": true, "imageBase64": "", "templateBase64": "Template2_'$(printf 'B%.0s' $(seq 1 90))'=="}'
# "user root": in the namespace the worker cannot switch to another user.
cat > "$work/nginx.conf" <<CONF
user root;
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

(cd "$work/run" && exec taskset -c "$SERVER_CORE" "$BINARY" >/dev/null 2>&1) &
taskset -c "$SERVER_CORE" nginx -c "$work/nginx.conf"
for _ in $(seq 1 100); do
  curl -s -o /dev/null http://127.0.0.1:8080/api/status && curl -s -o /dev/null http://127.0.0.1:$NGINX_PORT/five-kb.html && break
  sleep 0.1
done

# Prints "requests/s p50 p99 [errors]" (latencies in ms) for one wrk run; two
# client threads for many clients.
measure() {
  local url=$1 clients=$2 token=$3 threads=1
  [ "$clients" -gt 1 ] && threads=2
  taskset -c "$CLIENT_CORES" wrk -t"$threads" -c"$clients" -d"${DURATION}s" --latency -H "Connection: close" \
      -H "X-CSRF-Token: $token" "$url" |
    awk '
      function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /s$/) return v * 1000; return v }
      /Requests\/sec/ { rps = $2 }
      $1 == "50%" { p50 = ms($2) }
      $1 == "99%" { p99 = ms($2) }
      /Non-2xx|Socket errors/ { errors = errors " [" $0 "]" }
      END { printf "%.0f %.3f %.3f%s\n", rps, p50, p99, errors }'
}

# A token fetched just before the load that sends it: the /api/config load
# hands out more tokens than the store keeps, so an older one may be gone.
fresh_token() { curl -s http://127.0.0.1:8080/api/config | sed 's/.*"csrfToken": "\([0-9a-f]*\)".*/\1/'; }

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "server and nginx on core $SERVER_CORE, wrk on $CLIENT_CORES; ${DURATION}s a run, $RUNS runs"
printf '%-30s %3s %3s | %8s %8s %8s | %8s %8s %8s | %5s %5s\n' load cl run \
  "fb r/s" "fb p50" "fb p99" "ng r/s" "ng p50" "ng p99" "r/s" "p99"
summary=()
for load in /five-kb.html /api/config "/api/demoscan/single?finger=2"; do
  for clients in 1 32; do
    rps_ratios=() p99_ratios=()
    for run in $(seq 1 "$RUNS"); do
      order=(fb ng)
      [ $((run % 2)) = 0 ] && order=(ng fb)
      for server in "${order[@]}"; do
        if [ "$server" = fb ]; then
          read -r fb_rps fb_p50 fb_p99 fb_err < <(measure "http://127.0.0.1:8080$load" "$clients" "$(fresh_token)")
        else
          read -r ng_rps ng_p50 ng_p99 ng_err < <(measure "http://127.0.0.1:$NGINX_PORT$load" "$clients" none)
        fi
      done
      rps_ratio=$(echo "scale=3; $fb_rps / $ng_rps" | bc)
      p99_ratio=$(echo "scale=3; $fb_p99 / $ng_p99" | bc)
      rps_ratios+=("$rps_ratio") p99_ratios+=("$p99_ratio")
      printf '%-30s %3s %3s | %8s %6sms %6sms | %8s %6sms %6sms | %5.2f %5.2f %s\n' "$load" "$clients" "$run" \
        "$fb_rps" "$fb_p50" "$fb_p99" "$ng_rps" "$ng_p50" "$ng_p99" "$rps_ratio" "$p99_ratio" "${fb_err:+fb${fb_err}}${ng_err:+ nginx${ng_err}}"
    done
    summary+=("$(printf '%-30s %3s | median ratio: req/s %5.2f, p99 %5.2f' "$load" "$clients" \
      "$(median "${rps_ratios[@]}")" "$(median "${p99_ratios[@]}")")")
  done
done
echo
echo "fingerbridge / nginx, median of $RUNS runs:"
printf '%s\n' "${summary[@]}"
