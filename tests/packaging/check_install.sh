#!/usr/bin/env bash
# Installs the editor's component from a build tree into a temporary prefix, as a user or a
# package would, and checks what lands there: exactly the expected files, a desktop entry that
# desktop-file-validate accepts, icons of their sizes, --help and --version without a display,
# and an installed editor that keeps its files in the user's folders and never evaluates an
# http.tcl from the folder it was started in.
#   check_install.sh <build dir> <source dir>
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
editor_pid=
cleanup() {
    if [ -n "$editor_pid" ]; then kill "$editor_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
prefix=$work/prefix
version=$(sed -n 's/^project(Quillet VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")

[ -f "$build/bin/.quillet-build-tree" ] || fail "the build tree's marker is not beside the built editor"

cmake --install "$build" --component quillet --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"
    fail "cmake --install --component quillet"
}
expected="bin/quillet
share/applications/quillet.desktop
share/icons/hicolor/128x128/apps/quillet.png
share/icons/hicolor/256x256/apps/quillet.png
share/icons/hicolor/48x48/apps/quillet.png
share/icons/hicolor/scalable/apps/quillet.svg
share/quillet/cmds.dat
share/quillet/tcl.hlp"
diff <(echo "$expected") <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) ||
    fail "the installed files are not exactly those expected (- expected, + installed)"

entry=$prefix/share/applications/quillet.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refused the desktop entry"
grep -qx 'Exec=quillet %f' "$entry" || fail "the desktop entry does not start quillet with the file"
grep -qx 'MimeType=text/x-tcl;' "$entry" || fail "the desktop entry does not open Tcl files"
grep -qx 'Icon=quillet' "$entry" || fail "the desktop entry does not name the icon"
for size in 48 128 256; do
    file "$prefix/share/icons/hicolor/${size}x$size/apps/quillet.png" |
        grep -q "PNG image data, $size x $size" || fail "the ${size}x$size icon is no PNG of that size"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/quillet.svg" || fail "the scalable icon is no SVG"

# --help and --version answer on standard output with no display at all.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quillet" "$@"; }
[ "$(headless --version)" = "Quillet $version" ] || fail "--version printed \"$(headless --version)\""
help=$(headless --help) || fail "--help did not exit 0"
grep -q 'Usage: .*quillet \[options\] \[file\]' <<<"$help" || fail "--help printed: $help"
grep -q -- '--version' <<<"$help" || fail "--help does not list --version"

# Started from a project folder that holds an http.tcl, the installed editor evaluates the
# http.tcl of its settings folder and not the project's.
home=$work/home
project=$work/project
mkdir -p "$home/config/quillet" "$project"
echo 'close [open [file join [file dirname [info script]] startup-ran] w]' >"$home/config/quillet/http.tcl"
echo 'close [open [file join [pwd] project-script-ran] w]' >"$project/http.tcl"
(cd "$project" && exec env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" \
    QT_QPA_PLATFORM=offscreen "$prefix/bin/quillet" >"$work/editor.log" 2>&1) &
editor_pid=$!
for _ in $(seq 300); do
    [ -f "$home/config/quillet/startup-ran" ] && break
    kill -0 "$editor_pid" 2>/dev/null || break
    sleep 0.1
done
kill "$editor_pid" 2>/dev/null || true
wait "$editor_pid" 2>/dev/null || true
editor_pid=
[ -f "$home/config/quillet/startup-ran" ] || {
    cat "$work/editor.log"
    fail "the installed editor did not evaluate the http.tcl of its settings folder"
}
[ ! -e "$project/project-script-ran" ] || fail "the installed editor evaluated the current folder's http.tcl"
[ ! -e "$prefix/bin/quillet.ini" ] || fail "the installed editor wrote beside itself"
echo "the installed tree, its desktop entry and its icons are as expected"
