#!/usr/bin/env bash
# Labels for a ZPL printer, Quorvane's own against CUPS' own path, in one
# run on one machine: N Code 128 B labels of 2 × 1 in at 203 dpi
#
#   quorvane   quorvane export --batch CODES --output labels.zpl --media 2x1in
#   cups       the built-in PDF of the same labels (one 2 × 1 in page a
#              label, a saved layout of one cell) through
#              cupsfilter -p zebra.ppd (drv:///sample.drv/zebra.ppd, CUPS'
#              ZPL label driver) to ZPL
#
# Three alternating rounds, wall time by /usr/bin/time, medians; the bytes
# of each ZPL file. The PDF is made once, before the rounds, and its time
# is shown apart: the CUPS figure is cupsfilter alone, which favours CUPS.
#
#   bench/zpl_bench.sh [labels]     (default 10000; codes are "A" + 8 digits)
#
# Needs a build (./scripts/build) and cups (cupsfilter, cups-driverd).
# QUORVANE_BIN overrides the program. Work goes to a folder in /dev/shm.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${QUORVANE_BIN:-$here/../build/default/cli/quorvane}"
n="${1:-10000}"
rounds=3
command -v cupsfilter >/dev/null || { echo "needs cupsfilter (the Debian package cups)" >&2; exit 2; }
driverd=/usr/lib/cups/daemon/cups-driverd
[ -x "$driverd" ] || { echo "needs $driverd (the Debian package cups-daemon)" >&2; exit 2; }

work="$(mktemp -d /dev/shm/quorvane-label-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/quorvane" "$work/out"
# A 2 × 1 in roll as a layout of one label a page, for the PDF.
cat > "$work/config/quorvane/quorvane.ini" <<'INI'
[layouts]
count=1
name1=Roll 2x1
value1="page=50.8x25.4;label=50.8x25.4;grid=1x1;pitch=50.8x25.4;margins=0,0;unit=in"
INI
for ((i = 1; i <= n; i++)); do printf 'A%08d\n' "$i"; done > "$work/codes.txt"
"$driverd" cat drv:///sample.drv/zebra.ppd > "$work/zebra.ppd" 2> /dev/null

export XDG_CONFIG_HOME="$work/config" CUPS_SERVER="$work/no-cupsd.sock"
# Seconds of wall time of one run of the command, its stdout to `out`.
wall() {
  local out="$1"
  shift
  /usr/bin/time -f '%e' -o "$work/t" "$@" > "$out" 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
  cat "$work/t"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

quorvane_zpl=("$bin" export --type code128b --batch "$work/codes.txt" --media 2x1in --output "$work/out/labels.zpl")
pdf_s=$(wall /dev/null "$bin" export --type code128b --batch "$work/codes.txt" --layout "Roll 2x1" \
  --left 0 --top 0 --output "$work/labels.pdf")
cups_zpl=(cupsfilter -p "$work/zebra.ppd" -m printer/zebra -o PageSize=w144h72 -o Resolution=203dpi "$work/labels.pdf")

q=() c=()
for ((r = 1; r <= rounds; r++)); do
  q+=("$(wall /dev/null "${quorvane_zpl[@]}")")
  c+=("$(wall "$work/out/cups.zpl" "${cups_zpl[@]}")")
done
qs=$(median "${q[@]}") cs=$(median "${c[@]}")
qb=$(stat -c %s "$work/out/labels.zpl") cb=$(stat -c %s "$work/out/cups.zpl")
printf '%-10s %8s %10s %12s\n' path labels seconds bytes
printf '%-10s %8d %10.2f %12d\n' quorvane "$n" "$qs" "$qb"
printf '%-10s %8d %10.2f %12d\n' cups "$n" "$cs" "$cb"
printf 'time ratio %.3f, bytes ratio %.3f (the PDF for CUPS took %s s more)\n' \
  "$(awk -v a="$qs" -v b="$cs" 'BEGIN { print a / b }')" "$(awk -v a="$qb" -v b="$cb" 'BEGIN { print a / b }')" "$pdf_s"
