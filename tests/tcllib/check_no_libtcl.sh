#!/usr/bin/env bash
# Fails when any ELF binary of the build tree lists libtcl among its needed libraries: the
# project loads Tcl at run time and must never link it.
set -u
build=${1:?build directory}
checked=0
offenders=()
while IFS= read -r -d '' file; do
    head -c 4 "$file" 2>/dev/null | grep -q 'ELF' || continue
    checked=$((checked + 1))
    if readelf -d "$file" 2>/dev/null | grep 'NEEDED' | grep -qi 'libtcl'; then
        offenders+=("$file")
    fi
done < <(find "$build" -type f \( -perm -u+x -o -name '*.so' -o -name '*.so.*' \) -not -path '*/CMakeFiles/*' -print0)
if [ "$checked" -eq 0 ]; then
    echo "no binaries found under $build"
    exit 1
fi
if [ ${#offenders[@]} -gt 0 ]; then
    printf 'needs libtcl: %s\n' "${offenders[@]}"
    exit 1
fi
echo "$checked binaries checked, none needs libtcl"
