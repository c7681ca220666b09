#!/usr/bin/env bash
# Unattended batch benchmark: the real program prints a file in which every
# line is a code line, to the built-in PDF printer, and /usr/bin/time -v
# reports wall time and peak memory.
#
#   bench/batch_bench.sh [symbology] [lines...]
#   symbology: code128b (default), code39, code128-1, code25, upc, ean
#   lines:     line counts to run (default: 1000 10000)
#
# Needs a build (./scripts/build); QUORVANE_BIN overrides the program.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${QUORVANE_BIN:-$here/../build/default/cli/quorvane}"
symbology="${1:-code128b}"
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 10000)

case "$symbology" in
  code128b)  option=type1; code() { printf 'QV-%06d' "$1"; } ;;
  code39)    option=type2; code() { printf 'QV-%06d' "$1"; } ;;
  code128-1) option=type4; code() { printf 'QV-%06d' "$1"; } ;;
  code25)    option=type5; code() { printf '%010d' "$1"; } ;;
  upc)       option=type8; code() { printf '%011d' "$1"; } ;;
  ean)       option=type9; code() { printf '%012d' "$1"; } ;;
  *) echo "unknown symbology: $symbology" >&2; exit 2 ;;
esac

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/quorvane" "$work/pdf"
{
  echo "[options]"
  for t in type1 type2 type4 type5 type8 type9; do
    [ "$t" = "$option" ] && echo "$t=True" || echo "$t=False"
  done
  echo "line=*"
  echo "check2=1"
} > "$work/config/quorvane/quorvane.ini"

printf '%-10s %8s %10s %12s %12s\n' symbology lines wall_s us_per_line peak_rss_mb
for n in "${counts[@]}"; do
  file="$work/batch-$n.txt"
  for ((i = 1; i <= n; i++)); do printf '*%s\r\n' "$(code "$i")"; done > "$file"
  rm -f "$work/pdf"/*
  XDG_CONFIG_HOME="$work/config" QUORVANE_PDF_DIR="$work/pdf" CUPS_SERVER="$work/no-cupsd.sock" \
    /usr/bin/time -v -o "$work/time.txt" "$bin" "$file" > "$work/out.txt" 2> "$work/err.txt" \
    || { echo "run failed:" >&2; cat "$work/err.txt" >&2; exit 1; }
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  awk -v s="$symbology" -v n="$n" -v w="$wall" -v r="$rss" \
    'BEGIN { printf "%-10s %8d %10.2f %12.1f %12.1f\n", s, n, w, w * 1e6 / n, r / 1024 }' 
done
