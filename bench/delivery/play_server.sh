#!/usr/bin/env bash
# The play server against nginx (sendfile on) in the same run: a complete
# cached file of 512 MiB to one loopback client, then to 8 clients at once,
# then 8 clients each fetching 32 ranges of 2 MiB at random offsets (as a
# seeking player does). Prints throughputs, the ratios to nginx and the
# servers' peak resident memory. Uses BUILD_DIR (default build-bench) for play_server_bench.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR="${BUILD_DIR:-$PWD/build-bench}"
BENCH="$BUILD_DIR/bench/delivery/play_server_bench"
SIZE_MIB="${PLAY_BENCH_MIB:-512}"
ROUNDS="${PLAY_BENCH_ROUNDS:-3}"
[[ -x "$BENCH" ]] || { echo "play_server_bench not built in $BUILD_DIR" >&2; exit 1; }
source bench/nginx.sh
command -v nginx >/dev/null || { echo "nginx not installed" >&2; exit 1; }

work="$(mktemp -d)"
server_pid=""
nginx_pid=""
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null || true
  [[ -n "$nginx_pid" ]] && kill "$nginx_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/www"
head -c "$((SIZE_MIB * 1024 * 1024))" /dev/urandom >"$work/www/video.flv"
cat "$work/www/video.flv" >/dev/null  # both servers read it from the page cache

peak_kib() { awk '/VmHWM/ {print $2}' "/proc/$1/status"; }

# nginx: one process, one worker, as the play server is one thread.
nginx_port="$(free_port)"
nginx_conf "$work" "$nginx_port" "sendfile on; tcp_nopush on;" "root $work/www;"
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!

"$BENCH" serve "$work/www/video.flv" >"$work/server.out" &
server_pid=$!
for _ in $(seq 100); do
  grep -q '^PORT' "$work/server.out" 2>/dev/null && break
  sleep 0.1
done
for _ in $(seq 100); do
  curl -s -o /dev/null "http://127.0.0.1:$nginx_port/video.flv" -r 0-0 && break
  sleep 0.1
done
play_port="$(awk '/^PORT/ {print $2}' "$work/server.out")"
play_path="$(awk '/^PATH/ {print $2}' "$work/server.out")"

# Best of the rounds, in MiB/s; checks that every client got the whole file.
measure() {  # port path clients
  local best=0 line bytes seconds rate
  for _ in $(seq "$ROUNDS"); do
    line="$("$BENCH" fetch "$1" "$2" "$3")"
    bytes="$(awk '{print $2}' <<<"$line")"
    seconds="$(awk '{print $4}' <<<"$line")"
    if [[ "$bytes" != "$((SIZE_MIB * 1024 * 1024 * $3))" ]]; then
      echo "incomplete transfer: $line" >&2
      exit 1
    fi
    rate="$(awk -v b="$bytes" -v s="$seconds" 'BEGIN {printf "%.0f", b / 1048576 / s}')"
    (( rate > best )) && best=$rate
  done
  echo "$best"
}

for clients in 1 8; do
  play="$(measure "$play_port" "$play_path" "$clients")"
  nginx_rate="$(measure "$nginx_port" /video.flv "$clients")"
  ratio="$(awk -v a="$play" -v b="$nginx_rate" 'BEGIN {printf "%.2f", a / b}')"
  echo "play server, ${SIZE_MIB} MiB cached file, $clients client(s): $play MiB/s; nginx $nginx_rate MiB/s; ratio $ratio (target >= 0.50)"
done
# Random ranges: a new connection and a seek for every 2 MiB.
span=$((2 * 1024 * 1024))
measure_ranges() {  # port path
  local best=0 line bytes seconds rate
  for _ in $(seq "$ROUNDS"); do
    line="$("$BENCH" ranges "$1" "$2" 8 32 "$span" "$((SIZE_MIB * 1024 * 1024))")" || {
      echo "wrong range answer: $line" >&2
      exit 1
    }
    bytes="$(awk '{print $2}' <<<"$line")"
    seconds="$(awk '{print $4}' <<<"$line")"
    rate="$(awk -v b="$bytes" -v s="$seconds" 'BEGIN {printf "%.0f", b / 1048576 / s}')"
    (( rate > best )) && best=$rate
  done
  echo "$best"
}
play="$(measure_ranges "$play_port" "$play_path")"
nginx_rate="$(measure_ranges "$nginx_port" /video.flv)"
ratio="$(awk -v a="$play" -v b="$nginx_rate" 'BEGIN {printf "%.2f", a / b}')"
echo "play server, 8 clients x 32 random 2 MiB ranges: $play MiB/s; nginx $nginx_rate MiB/s; ratio $ratio (target >= 0.50)"
echo "peak resident memory: play server $(peak_kib "$server_pid") KiB; nginx $(peak_kib "$nginx_pid") KiB"
