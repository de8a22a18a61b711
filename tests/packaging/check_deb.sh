#!/usr/bin/env bash
# Builds the editor's Debian package from a build tree with CPack and checks it: its fields
# (name, version, architecture, the dependencies on Qt, Tcl, Tk and Tcl's manual pages), exactly
# the expected files under /usr, a desktop entry that desktop-file-validate accepts, and a
# program that answers --version from the unpacked package.
#   check_deb.sh <build dir> <source dir>
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
version=$(sed -n 's/^project(Quillet VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack"
}
deb=$work/out/quillet_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$work/out")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = quillet ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
# One dependency per line, without its version.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for package in libtcl8.6 tk8.6 tcl8.6-doc libqt6widgets6 libqt6printsupport6 libqt6gui6 libqt6core6; do
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package: $(field Depends)"
done

expected="./usr/bin/quillet
./usr/share/applications/quillet.desktop
./usr/share/icons/hicolor/128x128/apps/quillet.png
./usr/share/icons/hicolor/256x256/apps/quillet.png
./usr/share/icons/hicolor/48x48/apps/quillet.png
./usr/share/icons/hicolor/scalable/apps/quillet.svg
./usr/share/quillet/cmds.dat
./usr/share/quillet/tcl.hlp"
diff <(echo "$expected") <(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort) ||
    fail "the package's files are not exactly those expected (- expected, + packaged)"

dpkg-deb --extract "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/quillet.desktop" ||
    fail "desktop-file-validate refused the packaged desktop entry"
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/quillet" --version)
[ "$answer" = "Quillet $version" ] || fail "the packaged program's --version printed \"$answer\""
echo "$(basename "$deb"): fields and files as expected"
