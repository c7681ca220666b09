#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, as a user would into
# /usr/local, and checks what lands there: exactly the files of
# installed-files; a desktop entry and metainfo that their validators
# accept; a manual page that man renders without a warning; PNG icons of
# the sizes their folders name; a program that runs from there alone; and
# a manual page and bash completion that know every option and --type name
# of the program's --help, and its version.
#   InstallTest.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export LC_ALL=C

prefix=/usr/local
DESTDIR=$tmp/root cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 \
    || { cat "$tmp/install.log"; fail "cmake --install"; }
root=$tmp/root$prefix

# Exactly the listed files (a file outside the prefix keeps its ./ and differs).
(cd "$tmp/root" && find . ! -type d | sed "s|^\./${prefix#/}/||" | sort) >"$tmp/files"
diff -u "$here/installed-files" "$tmp/files" || fail "the installed files differ from installed-files"

for png in "$root"/share/icons/hicolor/*x*/apps/quorvane.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file -b "$png" | grep -q "^PNG image data, ${size%x*} x ${size#*x}," || fail "$png is not $size: $(file -b "$png")"
done

out=$(desktop-file-validate "$root/share/applications/quorvane.desktop" 2>&1) || true
[ -z "$out" ] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$root/share/metainfo/org.quorvane.Quorvane.metainfo.xml" >"$tmp/appstream.log" 2>&1 \
    || { cat "$tmp/appstream.log"; fail "appstreamcli validate"; }

# One line a paragraph, so no name is broken over two lines.
MANWIDTH=1000 man --warnings -l "$root/share/man/man1/quorvane.1.gz" >"$tmp/man.txt" 2>"$tmp/man.err" \
    || { cat "$tmp/man.err"; fail "man -l"; }
[ ! -s "$tmp/man.err" ] || fail "man warns: $(cat "$tmp/man.err")"
grep -q "^SYNOPSIS" "$tmp/man.txt" || fail "the manual page has no SYNOPSIS"

# The installed program on its own: no variable of this build or session.
quorvane() {
    env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" QT_QPA_PLATFORM=offscreen \
        "$root/bin/quorvane" "$@"
}
mkdir "$tmp/home"
version=$(quorvane --version) || fail "--version"
quorvane export --type code128b --text QV-42 --output "$tmp/qv42.png" --verify || fail "export"
file -b "$tmp/qv42.png" | grep -q "^PNG image data" || fail "the export wrote no PNG"

grep -q "^${version} " "$tmp/man.txt" || fail "the manual page is not of $version"
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$root/share/metainfo/org.quorvane.Quorvane.metainfo.xml" | head -n 1)
[ "Quorvane $release" = "$version" ] || fail "the newest release of the metainfo is $release, not $version"

help=$(quorvane --help)
options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
types=$(sed -n '/^TYPE is one of:/,/^$/p' <<<"$help" | grep -o '[a-z0-9-]* (' | tr -d ' (' | sort)
[ -n "$options" ] && [ -n "$types" ] || fail "--help names no options or no types"
for word in $options $types; do
    grep -qE -- "(^|[^a-z0-9-])${word}([^a-z0-9-]|$)" "$tmp/man.txt" || fail "the manual page does not name $word"
done

# What the completion offers after the words given (the last is the one
# being completed).
offers() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _quorvane; printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$root/share/bash-completion/completions/quorvane" "$@"
}
offered=$({ offers quorvane -; offers quorvane export -; offers quorvane print -; offers quorvane print-range -; offers quorvane label -; offers quorvane labels -; } | sort -u)
[ "$offered" = "$options" ] || fail "the completion offers the options"$'\n'"$offered"$'\n'"not"$'\n'"$options"
for typed in "--type " "--type=" "--type=co"; do
    read -r -a words <<<"quorvane export ${typed/=/ = }"
    [[ $typed == *" " ]] && words+=("")
    expected=$(grep "^${typed#--type[= ]}" <<<"$types" || true)
    [ "$(offers "${words[@]}" | sort)" = "$expected" ] || fail "the completion of \"$typed\" is not the --type names"
done
# grep reads all of it: with -q it would stop early and fail the pipe.
offers quorvane "" | grep -x export >/dev/null || fail "the completion does not offer export"
echo "installed and checked: $(wc -l <"$tmp/files") files"
