#!/usr/bin/env bash
# The public headers name no type of the library's private headers: a host could not use one, and
# an internal that shows through would have to stay as it is for the hosts' sake.
#   check_public_face.sh <tcllib dir>
set -euo pipefail
lib=$(cd "$1" && pwd)
# Definitions only: a private header may declare a public class ahead of its use.
names=$(grep -hE '^(struct|class|enum|using) [A-Za-z_][A-Za-z0-9_]*' "$lib"/src/*.h | grep -v ';$' |
    awk '{print $2}' | sort -u)
status=0
for name in $names; do
    if grep -lw -- "$name" "$lib"/include/tslc/*.h; then
        echo "FAILED: the public header(s) above name $name, a type of a private header" >&2
        status=1
    fi
done
exit $status
