#!/usr/bin/env bash
# Markdown cannot include a file, so the README marks each code block that shows an example
# file with a comment naming it:
#     <!-- example: examples/hello/main.cpp -->
#     ```cpp
#     ...
#     ```
# This check fails when such a block differs from the file it names, or when there is none.
#   check_readme_examples.sh <source dir>
set -euo pipefail
source=$(cd "$1" && pwd)
readme=$source/README.md
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes each marked block to $work/<n> and its file name to $work/<n>.name.
awk -v out="$work" '
    /^<!-- example: .* -->$/ { name = $3; next }
    name != "" && /^```/ && !inside { inside = 1; n++; print name > (out "/" n ".name"); printf "" > (out "/" n); next }
    inside && /^```$/ { inside = 0; name = ""; next }
    inside { print >> (out "/" n) }
' "$readme"

shopt -s nullglob
names=("$work"/*.name)
[ ${#names[@]} -gt 0 ] || { echo "FAILED: README.md marks no example block" >&2; exit 1; }
status=0
for marker in "${names[@]}"; do
    file=$(cat "$marker")
    block=${marker%.name}
    if ! diff -u "$source/$file" "$block"; then
        echo "FAILED: the README's block for $file differs from the file" >&2
        status=1
    fi
done
exit $status
