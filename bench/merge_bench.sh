#!/usr/bin/env bash
# Labels from data against gLabels' batch printer, in one run on one
# machine: the same records (sku,name) onto Avery L7160 sheets (A4, 3 x 7),
# each label a Code 128 of `sku` with its text under the bars and a line of
# `name`, to one PDF. Quorvane runs `labels --barcode '${sku}' --text
# '${name}' --layout L7160 --output OUT.pdf`; gLabels `glabels-3-batch` on
# the document written below (its barcode backend="gnu-barcode"
# style="Code128" field="sku"). Three alternating rounds, wall time by
# /usr/bin/time, medians. Then Quorvane alone on a large file: wall time and
# peak memory (/usr/bin/time -v), medians of three.
#
#   bench/merge_bench.sh [records [large]]   (default 1000 and 100000)
#
# Needs a build (./scripts/build) and the Debian package glabels;
# QUORVANE_BIN overrides the program. Output goes to a folder in /dev/shm.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${QUORVANE_BIN:-$here/../build/default/cli/quorvane}"
n="${1:-1000}"
large="${2:-100000}"
rounds=${ROUNDS:-3}
command -v glabels-3-batch >/dev/null || { echo "needs the Debian package glabels" >&2; exit 2; }

work="$(mktemp -d /dev/shm/quorvane-merge.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/quorvane" "$work/pdf"
printf '[options]\n' > "$work/config/quorvane/quorvane.ini"
records() { echo sku,name; for ((i = 1; i <= $1; i++)); do printf 'SKU%06d,Product name %d\n' "$i" "$i"; done; }
records "$n" > "$work/items.csv"
records "$large" > "$work/large.csv"

# The gLabels document: the L7160 template as libglabels has it (Avery
# 7160: 181.4 x 108 pt labels, 3 x 7), a Code 128 of the field sku with
# its text, and the field name in 9 pt Sans under it. Objects need their
# affine matrix (a0..a5), or gLabels draws them nowhere.
cat > "$work/l7160.glabels" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">
  <Template brand="Avery" part="L7160" size="A4" description="Mailing labels">
    <Meta category="label"/>
    <Label-rectangle id="0" width="181.4pt" height="108pt" round="5pt" x_waste="0pt" y_waste="0pt">
      <Markup-margin size="5pt"/>
      <Layout nx="3" ny="7" x0="21.2pt" y0="43.9pt" dx="187.2pt" dy="108pt"/>
    </Label-rectangle>
  </Template>
  <Objects id="0" rotate="False">
    <Object-barcode a0="1" a1="0" a2="0" a3="1" a4="0" a5="0" x="8.5pt" y="8.5pt" w="164pt" h="62pt"
                    backend="gnu-barcode" style="Code128" text="True" checksum="True" field="sku" color="0x000000ff"/>
    <Object-text a0="1" a1="0" a2="0" a3="1" a4="0" a5="0" x="8.5pt" y="76pt" w="164pt" h="14pt"
                 justify="Left" valign="Top" auto_shrink="False">
      <Span font_family="Sans" font_size="9" font_weight="normal" font_italic="False" color="0x000000ff"
            line_spacing="1"><Field name="name"/></Span>
    </Object-text>
  </Objects>
  <Merge type="Text/Comma/Line1Keys" src="items.csv"/>
</Glabels-document>
XML

# The program with its own settings and no printers, as `env` runs it.
quorvane=(env XDG_CONFIG_HOME="$work/config" QUORVANE_PDF_DIR="$work/pdf" CUPS_SERVER="$work/no-cupsd.sock" "$bin"
          labels --barcode '${sku}' --text '${name}' --layout L7160 --output "$work/out.pdf")
# Seconds of wall time and of CPU time (user and system) of one run of the
# command, "WALL CPU"; its PDF is removed after. The wall time is taken by
# the shell to the microsecond (/usr/bin/time gives hundredths, too coarse
# for a run of some 50 ms); the CPU time is /usr/bin/time's. On a machine
# shared with other work the CPU time is the steadier of the two.
wall() {
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S' -o "$work/t" "$@" > /dev/null 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
  local end=$EPOCHREALTIME
  rm -f "$work/out.pdf"
  awk -v s="$start" -v e="$end" '{ printf "%.4f %.2f\n", e - s, $1 + $2 }' "$work/t"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

q=() qc=() g=() gc=()
for ((r = 1; r <= rounds; r++)); do
  read -r w c < <(wall "${quorvane[@]}" --data "$work/items.csv")
  q+=("$w") qc+=("$c")
  read -r w c < <(wall glabels-3-batch -o "$work/out.pdf" -i "$work/items.csv" "$work/l7160.glabels")
  g+=("$w") gc+=("$c")
done
printf '%8s %6s %12s %12s %8s\n' records time quorvane_s glabels_s ratio
for kind in wall cpu; do
  if [ $kind = wall ]; then qm=$(median "${q[@]}") gm=$(median "${g[@]}"); else qm=$(median "${qc[@]}") gm=$(median "${gc[@]}"); fi
  awk -v n="$n" -v k=$kind -v q="$qm" -v g="$gm" 'BEGIN { printf "%8d %6s %12.4f %12.4f %8.4f\n", n, k, q, g, q / g }'
done
echo "rounds (wall): quorvane ${q[*]}; glabels ${g[*]}"

walls=() cpus=() peaks=()
for ((r = 1; r <= rounds; r++)); do
  /usr/bin/time -v -o "$work/time.txt" "${quorvane[@]}" --data "$work/large.csv" > /dev/null 2> "$work/err" \
    || { cat "$work/err" >&2; exit 1; }
  rm -f "$work/out.pdf"
  walls+=("$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')")
  cpus+=("$(awk -F': ' '/(User|System) time \(seconds\)/ { s += $2 } END { print s }' "$work/time.txt")")
  peaks+=("$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")")
done
printf '%8s %10s %10s %12s\n' records wall_s cpu_s peak_rss_mb
awk -v n="$large" -v w="$(median "${walls[@]}")" -v c="$(median "${cpus[@]}")" -v r="$(median "${peaks[@]}")" \
  'BEGIN { printf "%8d %10.2f %10.2f %12.1f\n", n, w, c, r / 1024 }'
