#!/usr/bin/env bash
# "quillet.sh run <file>" hands the editor a file name that means, from the editor's directory,
# what it meant where the command was typed. The real script runs in a scratch copy of the
# repository whose tools are stand-ins: every package counts as installed, cmake does nothing,
# and the "editor" writes down where it runs and what it was given.
# Usage: quillet_run_test.sh <path of quillet.sh>
set -euo pipefail

script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/repo/build/bin" "$work/tools" "$work/caller/sub"
cp "$script" "$work/repo/quillet.sh"
printf '#!/bin/sh\nprintf "install ok installed"\n' >"$work/tools/dpkg-query"
printf '#!/bin/sh\nexit 0\n' >"$work/tools/cmake"
cat >"$work/repo/build/bin/quillet" <<EOF
#!/bin/sh
pwd >"$work/ran-in"
for argument in "\$@"; do printf '%s\n' "\$argument"; done >"$work/arguments"
EOF
chmod +x "$work/tools/dpkg-query" "$work/tools/cmake" "$work/repo/build/bin/quillet"
echo 'puts hello' >"$work/caller/script.tcl"

failures=0
# run <directory> <arguments...>: starts the copy's "run" from directory.
run() {
    local dir=$1
    shift
    rm -f "$work/arguments"
    (cd "$dir" && PATH="$work/tools:$PATH" "$work/repo/quillet.sh" run "$@" >/dev/null)
}
# expect_opens <description>: the editor's first argument names the caller's script.tcl from
# the directory the editor runs in.
expect_opens() {
    local first
    first=$(sed -n 1p "$work/arguments")
    if (cd "$(cat "$work/ran-in")" && [ "$first" -ef "$work/caller/script.tcl" ]); then
        echo "ok: $1"
    else
        echo "FAILED: $1: the editor got \"$first\" in $(cat "$work/ran-in")"
        failures=$((failures + 1))
    fi
}

run "$work/caller" script.tcl
expect_opens "a name relative to the caller's directory"
run "$work/caller/sub" ../script.tcl extra
expect_opens "a name that climbs out of the caller's directory"
if [ "$(sed -n 2p "$work/arguments")" != extra ]; then
    echo "FAILED: the arguments after the file name were not passed on"
    failures=$((failures + 1))
fi
run /tmp "$work/caller/script.tcl"
expect_opens "an absolute name"
run "$work/caller"
if [ -s "$work/arguments" ]; then
    echo "FAILED: without a file name the editor was given \"$(cat "$work/arguments")\""
    failures=$((failures + 1))
fi
exit $((failures > 0))
