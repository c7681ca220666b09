#!/usr/bin/env bash
# Label benchmark: the real program prints a run of labels of several
# parts (a Code 128 and a QR Code, three lines of text and a frame, the run
# number in both codes and in a line) with `print-range --label` onto the
# Avery L7160 sheets, to the built-in PDF printer; /usr/bin/time -v
# reports wall time and peak memory.
#
#   bench/label_bench.sh [labels...]     (default: 1000 10000)
#
# Needs a build (./scripts/build); QUORVANE_BIN overrides the program.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${QUORVANE_BIN:-$here/../build/default/cli/quorvane}"
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 10000)

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/quorvane" "$work/pdf"
printf '[options]\n' > "$work/config/quorvane/quorvane.ini"
# An L7160 cell is 63.5 x 38.1 mm.
cat > "$work/shelf.json" <<'JSON'
{
    "version": 1,
    "unit": "mm",
    "widthMm": 63.5,
    "heightMm": 38.1,
    "parts": [
        {"type": "barcode", "xMm": 3, "yMm": 3, "symbology": "code128", "text": "LOT-${n:%06d}", "moduleMm": 0.25, "heightMm": 12, "caption": true},
        {"type": "barcode", "xMm": 44, "yMm": 3, "symbology": "qr", "text": "https://example.com/lot/${n}", "moduleMm": 0.5},
        {"type": "text", "xMm": 3, "yMm": 17, "text": "Shelf label, lot ${n}", "sizePt": 9, "bold": true},
        {"type": "text", "xMm": 3, "yMm": 23, "text": "A product name that is rather long", "sizePt": 9, "boxWidthMm": 38},
        {"type": "text", "xMm": 3, "yMm": 29, "text": "Best before ${date+30:dd.MM.yyyy}", "sizePt": 8},
        {"type": "box", "xMm": 1, "yMm": 1, "widthMm": 61.5, "heightMm": 36.1, "strokeMm": 0.3}
    ]
}
JSON

printf '%8s %10s %13s %12s\n' labels wall_s us_per_label peak_rss_mb
for n in "${counts[@]}"; do
  rm -f "$work/pdf"/*
  XDG_CONFIG_HOME="$work/config" QUORVANE_PDF_DIR="$work/pdf" CUPS_SERVER="$work/no-cupsd.sock" \
    /usr/bin/time -v -o "$work/time.txt" "$bin" print-range --label "$work/shelf.json" --from 1 --to $((n + 1)) \
      --layout L7160 --printer "Print to PDF file" > "$work/out.txt" 2> "$work/err.txt" \
    || { echo "run failed:" >&2; cat "$work/err.txt" >&2; exit 1; }
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  awk -v n="$n" -v w="$wall" -v r="$rss" 'BEGIN { printf "%8d %10.2f %13.1f %12.1f\n", n, w, w * 1e6 / n, r / 1024 }'
done
