#!/usr/bin/env bash
# Command-line export benchmark: the real program saves one barcode file per
# line of a text file (`quorvane export --batch`), and /usr/bin/time reports
# wall time and peak memory.
#
#   bench/export_bench.sh [format] [lines] [folder]
#   format: svg (default) or png;  lines: 10000;  folder: where the files go
#   (default /dev/shm, memory, so the disk's own cost stays out)
#
# Needs a build (./scripts/build); QUORVANE_BIN overrides the program.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${QUORVANE_BIN:-$here/../build/default/cli/quorvane}"
format="${1:-svg}"
lines="${2:-10000}"
base="${3:-/dev/shm}"

work="$(mktemp -d)"
out="$(mktemp -d "$base/quorvane-export.XXXXXX")"
trap 'rm -rf "$work" "$out"' EXIT
for ((i = 1; i <= lines; i++)); do printf 'QV-%06d\r\n' "$i"; done > "$work/lines.txt"

printf '%-6s %8s %10s %12s %12s\n' format lines wall_s us_per_file peak_rss_mb
/usr/bin/time -f '%e %M' -o "$work/time.txt" "$bin" export --type code128b --text-below \
  --batch "$work/lines.txt" --output "$out/~~~~~.$format" 2> "$work/err.txt" \
  || { echo "run failed:" >&2; cat "$work/err.txt" >&2; exit 1; }
read -r wall rss < "$work/time.txt"
written=$(ls "$out" | wc -l)
[ "$written" -eq "$lines" ] || { echo "only $written files written" >&2; exit 1; }
awk -v f="$format" -v n="$lines" -v w="$wall" -v r="$rss" \
  'BEGIN { printf "%-6s %8d %10.2f %12.1f %12.1f\n", f, n, w, w * 1e6 / n, r / 1024 }'
