#!/usr/bin/env bash
# Builds the Debian package with cpack, installs it with dpkg, runs the
# program from /usr/bin, removes the package and checks that every file
# and folder it brought is gone. It changes the machine, so it runs only as
# root and only where no quorvane is installed, and it removes the package
# again whatever happens. Exit status 77: skipped.
#   PackageTest.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
export LC_ALL=C

[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
if dpkg-query -W -f='${db:Status-Status}' quorvane 2>/dev/null | grep -qv '^not-installed$'; then
    skip "a quorvane package is on this machine already"
fi
[ ! -e /usr/bin/quorvane ] || skip "/usr/bin/quorvane is there already"

tmp=$(mktemp -d)
installed=false
cleanup() {
    if $installed && ! dpkg --purge quorvane >"$tmp/purge.log" 2>&1; then
        cat "$tmp/purge.log" >&2
        echo "FAIL: the package quorvane could not be removed again" >&2
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# dpkg, waiting a while for another package manager on the machine to let
# go of dpkg's lock.
run_dpkg() {
    for _ in $(seq 30); do
        dpkg "$@" >"$tmp/dpkg.log" 2>&1 && return 0
        grep -q 'lock' "$tmp/dpkg.log" || break
        sleep 2
    done
    cat "$tmp/dpkg.log" >&2
    return 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack.log" 2>&1 \
    || { cat "$tmp/cpack.log"; fail "cpack -G DEB"; }
deb=$(echo "$tmp"/package/quorvane_*.deb)
[ -f "$deb" ] || fail "cpack wrote no package"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libzxing libcups2; do
    grep -q "$library" <<<"$depends" || fail "Depends names no $library: $depends"
done
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sed 's|^\./usr/||' | sort >"$tmp/files"
diff -u "$here/installed-files" "$tmp/files" || fail "the package's files differ from installed-files"
dpkg-deb -x "$deb" "$tmp/contents"
file -b "$tmp/contents/usr/bin/quorvane" | grep -q ', stripped' || fail "the packaged program is not stripped"

# The folders the package would create: they must go with it.
dpkg-deb -c "$deb" | awk '$1 ~ /^d/ { print $NF }' | sed 's|^\.||; s|/$||' | while read -r folder; do
    [ -e "$folder" ] || echo "$folder"
done >"$tmp/new-folders"

installed=true
run_dpkg -i "$deb" || fail "dpkg -i"
version=$(/usr/bin/quorvane --version) || fail "quorvane --version"
[ "$version" = "Quorvane $(dpkg-deb -f "$deb" Version)" ] || fail "--version says $version"
mkdir "$tmp/home"
env -i PATH=/usr/bin:/bin HOME="$tmp/home" QT_QPA_PLATFORM=offscreen \
    /usr/bin/quorvane export --type ean --text 4006381333931 --output "$tmp/ean.svg" --verify || fail "export"
grep -q "<svg" "$tmp/ean.svg" || fail "the export wrote no SVG"
dpkg -L quorvane >"$tmp/owned"

run_dpkg -r quorvane || fail "dpkg -r"
status=$(dpkg-query -W -f='${db:Status-Status}' quorvane 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "after dpkg -r the package is $status"
installed=false
while read -r path; do
    if [ -d "$path" ]; then
        ! grep -qxF "$path" "$tmp/new-folders" || fail "the folder $path stays after dpkg -r"
    elif [ -e "$path" ] || [ -L "$path" ]; then
        fail "$path stays after dpkg -r"
    fi
done <"$tmp/owned"
echo "built, installed, ran and removed $(basename "$deb")"
