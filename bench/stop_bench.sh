#!/usr/bin/env bash
# How fast a signal stops an export: the real program is started, gets
# SIGTERM (or the signal named), and the time from the signal to the end
# of the process is measured, several times over, for a single large PNG
# (signalled once its picture of 30500 by 5500 pixels takes 100 MB, that
# is while it is drawn or encoded) and for a batch of 3000 PNGs at 2400 dpi
# (signalled after a delay, while it writes its files).
#
#   bench/stop_bench.sh [runs] [delay_s] [signal]
#   runs: 10;  delay_s: 0.3;  signal: TERM (or INT, HUP)
#
# Needs a build (./scripts/build); QUORVANE_BIN overrides the program.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${QUORVANE_BIN:-$here/../build/default/cli/quorvane}"
runs="${1:-10}"
delay="${2:-0.3}"
sig="${3:-TERM}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for ((i = 1; i <= 3000; i++)); do printf 'QV-%d\r\n' "$i"; done > "$work/lines.txt"

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2> /dev/null || echo 0; }

# Prints the milliseconds from the signal to the process's end. The first
# argument is the delay in seconds, or "picture" to wait for the memory.
stop_ms() {
  local when=$1
  shift
  rm -rf "$work/out" && mkdir "$work/out"
  "$bin" "$@" 2> "$work/err.txt" &
  local pid=$!
  if [ "$when" = picture ]; then
    while [ "$(rss_kib "$pid")" -lt 102400 ] && kill -0 "$pid" 2> /dev/null; do sleep 0.002; done
  else
    sleep "$when"
  fi
  local sent
  sent=$(date +%s%N)
  kill -s "$sig" "$pid" 2> /dev/null || { echo "the export ended before the signal" >&2; exit 1; }
  wait "$pid" || true
  echo $((($(date +%s%N) - sent) / 1000000))
  if ls -A "$work/out" | grep -q '\.part$'; then echo "a temporary file was left" >&2; exit 1; fi
}

report() {
  sort -n | awk -v what="$1" '{ v[NR] = $1 } END { printf "%-8s %5d %10d %10d\n", what, NR, v[int((NR + 1) / 2)], v[NR] }'
}

printf '%-8s %5s %10s %10s\n' export runs median_ms max_ms
for ((r = 0; r < runs; r++)); do
  stop_ms picture export --type code39 --text ABCDEFGHIJKLMNOPQRST --dpi 4800 --module-dots 100 --text-below --output "$work/out/one.png"
done | report single
for ((r = 0; r < runs; r++)); do
  stop_ms "$delay" export --type code39 --batch "$work/lines.txt" --dpi 2400 --output "$work/out/~~~~.png"
done | report batch
