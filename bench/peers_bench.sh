#!/usr/bin/env bash
# Quorvane against the peers a user would otherwise use, in one run on one
# machine: three alternating rounds of each pair, wall time by
# /usr/bin/time, medians. The peers are timing references only.
#
#   listing  quorvane FILE (every line a Code 128 B code line, the built-in
#            PDF printer)  vs  barcode -e 128b -i CODES -o OUT.ps
#   svg      quorvane export --batch (Code 128 B)  vs  zint --batch -b 20 --filetype=svg
#   png      the same as PNG files
#   qr-svg   quorvane export --batch (QR Code, 30-character texts, error
#            correction M)  vs  zint --batch -b 58 --secure=2 --filetype=svg
#   qr-png   the same as PNG files, two pixels a module as zint draws them
#            (--module-dots 2)
#
#   bench/peers_bench.sh [lines [work...]]   (default 10000 and every work;
#                                             codes are "A" + 8 digits)
#
# Needs a build (./scripts/build) and the Debian packages barcode and zint;
# QUORVANE_BIN overrides the program (a "before" build). Output goes to a
# folder in /dev/shm (tmpfs).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${QUORVANE_BIN:-$here/../build/default/cli/quorvane}"
n="${1:-10000}"
shift $(( $# > 0 ? 1 : 0 ))
works=("${@:-listing svg png qr-svg qr-png}")
read -r -a works <<< "${works[*]}"
rounds=3
for tool in barcode zint; do
  command -v "$tool" >/dev/null || { echo "needs the Debian package $tool" >&2; exit 2; }
done

work="$(mktemp -d /dev/shm/quorvane-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/quorvane" "$work/pdf" "$work/out"
printf '[options]\ntype1=True\nline=*\ncheck2=1\n' > "$work/config/quorvane/quorvane.ini"
for ((i = 1; i <= n; i++)); do printf 'A%08d\n' "$i"; done > "$work/codes.txt"
sed 's/^/*/; s/$/\r/' "$work/codes.txt" > "$work/listing.txt"
for ((i = 1; i <= n; i++)); do printf 'https://qv.example/item/%06d\n' "$i"; done > "$work/qr.txt"

# Seconds of wall time of one run of the command; its output is removed after.
wall() {
  rm -rf "$work/out" "$work/pdf"/* && mkdir -p "$work/out"
  XDG_CONFIG_HOME="$work/config" QUORVANE_PDF_DIR="$work/pdf" CUPS_SERVER="$work/no-cupsd.sock" \
    /usr/bin/time -f '%e' -o "$work/t" "$@" > /dev/null 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
  cat "$work/t"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

declare -A times
for ((r = 1; r <= rounds; r++)); do
  for w in "${works[@]}"; do
    case $w in
    listing)
      times[listing_q]+="$(wall "$bin" "$work/listing.txt") "
      times[listing_p]+="$(wall barcode -e 128b -i "$work/codes.txt" -o "$work/out/codes.ps") " ;;
    svg | png)
      times[${w}_q]+="$(wall "$bin" export --type code128b --batch "$work/codes.txt" --output "$work/out/~~~~~.$w") "
      times[${w}_p]+="$(wall zint --batch -b 20 --filetype="$w" -i "$work/codes.txt" -o "$work/out/~~~~~.$w") " ;;
    qr-svg | qr-png)
      f=${w#qr-}
      dots=()
      [ "$f" = png ] && dots=(--module-dots 2)
      times[${w}_q]+="$(wall "$bin" export --type qr --batch "$work/qr.txt" --output "$work/out/~~~~~.$f" "${dots[@]}") "
      times[${w}_p]+="$(wall zint --batch -b 58 --secure=2 --filetype="$f" -i "$work/qr.txt" -o "$work/out/~~~~~.$f") " ;;
    esac
  done
done

printf '%-8s %8s %12s %12s %7s\n' work lines quorvane_s peer_s ratio
for w in "${works[@]}"; do
  # shellcheck disable=SC2086
  q=$(median ${times[${w}_q]}); p=$(median ${times[${w}_p]})
  awk -v w="$w" -v n="$n" -v q="$q" -v p="$p" 'BEGIN { printf "%-8s %8d %12.2f %12.2f %7.2f\n", w, n, q, p, q / p }'
done
