#!/usr/bin/env bash
# Detection's figures, each against a peer measured in the same run:
# AddVideo of a video page to "Play.Start" against a bare QtWebEngine page
# playing it; a page of 50 resources through the interception proxy against
# the same page loaded directly (target <= 1.2); a 256 MiB download with
# curl through the proxy against curl directly (target >= 0.8).
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build directory}"
BENCH="$BUILD_DIR/bench/detection/detect_bench"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
source "$(dirname "$0")/../nginx.sh"

"$BENCH" add-to-start 2>/dev/null

direct="$("$BENCH" page-load direct 2>/dev/null | tail -1)"
proxied="$("$BENCH" page-load proxy 2>/dev/null | tail -1)"
echo "a page of 50 resources, median of 10 loads: through the proxy $proxied ms; directly $direct ms; ratio $(awk -v a="$proxied" -v b="$direct" 'BEGIN {printf "%.2f", a / b}') (target <= 1.20)"

mib="${DETECT_BENCH_MIB:-256}"
coproc SERVE { "$BENCH" proxy-download "$mib" 2>/dev/null; }
read -r _ proxy_port site_port <&"${SERVE[0]}"
speed() {  # curl arguments...: the best of three, in bytes per second
  for _ in 1 2 3; do curl -s -o /dev/null -w '%{speed_download}\n' "$@"; done | sort -n | tail -1
}
url="http://127.0.0.1:$site_port/big.bin"
direct_speed="$(speed "$url")"
proxied_speed="$(speed --proxy "http://127.0.0.1:$proxy_port" --noproxy '' "$url")"
mibs() { awk -v s="$1" 'BEGIN {printf "%.0f", s / 1048576}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
echo "a $mib MiB download with curl, best of 3: through the proxy $(mibs "$proxied_speed") MiB/s; directly $(mibs "$direct_speed") MiB/s; ratio $(ratio "$proxied_speed" "$direct_speed") (target >= 0.80)"

# What any relaying hop costs on this machine: nginx relaying the same
# download (one worker, no buffering), against the same direct figure.
if command -v nginx >/dev/null; then
  work="$(mktemp -d)"
  nginx_port="$(free_port)"
  nginx_conf "$work" "$nginx_port" "" \
    "location / { proxy_pass http://127.0.0.1:$site_port; proxy_buffering off; proxy_http_version 1.1; }"
  nginx -c "$work/nginx.conf" -p "$work" &
  nginx_pid=$!
  for _ in $(seq 100); do curl -s -o /dev/null -r 0-0 "http://127.0.0.1:$nginx_port/big.bin" && break; sleep 0.1; done
  nginx_speed="$(speed "http://127.0.0.1:$nginx_port/big.bin")"
  kill "$nginx_pid"; wait "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
  echo "  the same download relayed by nginx (peer): $(mibs "$nginx_speed") MiB/s, ratio to direct $(ratio "$nginx_speed" "$direct_speed"); our proxy to nginx $(ratio "$proxied_speed" "$nginx_speed")"
fi
exec {SERVE[1]}>&-
wait "$SERVE_PID" 2>/dev/null || true
