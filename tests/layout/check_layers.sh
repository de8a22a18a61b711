#!/usr/bin/env bash
# Checks that includes point down the program's layers and never sideways:
#   main    the start-up, which wires the editor to the Run window
#   app     the editor                 runner  the Run window (neither includes the other)
#   gui     what every window uses: the modal seam, the slot guard, the error box
#   core    the editor's logic that needs QtCore only
#   tcllib  the component library (its src/ is private to it)
# A quoted include is looked for beside the including file, then in the folders the file's layer
# may see; one found only in a folder it may not see is reported with the file and the line.
#   check_layers.sh [repository root]
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
cd "$root"

declare -A visible=(
    [tcllib]="tcllib/include tcllib/src"
    [core]="core tcllib/include"
    [gui]="gui core tcllib/include"
    [app]="app gui core tcllib/include"
    [runner]="runner gui core tcllib/include"
    [main]="main app runner gui core tcllib/include"
)
every_folder="main app runner gui core tcllib/include tcllib/src"

# found_in <name> <folders...>: the first folder that holds name.
found_in() {
    local name=$1 folder
    shift
    for folder in "$@"; do
        if [ -f "$folder/$name" ]; then
            echo "$folder"
            return
        fi
    done
}

violations=0
for layer in tcllib core gui app runner main; do
    [ -d "$layer" ] || continue
    while IFS= read -r -d '' file; do
        while IFS=: read -r line name; do
            [ -f "$(dirname "$file")/$name" ] && continue
            # shellcheck disable=SC2086
            [ -n "$(found_in "$name" ${visible[$layer]})" ] && continue
            # shellcheck disable=SC2086
            owner=$(found_in "$name" $every_folder)
            if [ -n "$owner" ]; then
                echo "$file:$line: includes \"$name\" from $owner/, which $layer/ may not see"
                violations=$((violations + 1))
            fi
        done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
                 sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1:\2/' || true)
    done < <(find "$layer" \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0)
done
if [ "$violations" -gt 0 ]; then
    echo "$violations include(s) against the layers" >&2
    exit 1
fi
echo "every include points down the layers"
