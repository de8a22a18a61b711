#!/usr/bin/env bash
# Builds the hello example in a host project that adds the library's source tree with
# add_subdirectory (tests/examples/subdirectory), runs it and compares its output, the way the
# installed-package examples are checked.
#   run_subdirectory_host.sh <source dir> <work dir>
# EXAMPLE_CXX_FLAGS and EXAMPLE_LINK_FLAGS are added to every compile and link. The work folder
# is emptied first and kept afterwards: at the same place each time, the host's compiles have the
# same command lines, which ccache then finds again on the next run.
set -euo pipefail
source=$(cd "$1" && pwd)
work=$2
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

# No build type: what is checked is that the host builds and runs, and unoptimised code without
# debug information builds in half the time.
cmake -S "$source/tests/examples/subdirectory" -B "$work/build" -DCMAKE_BUILD_TYPE= \
    -DTSLC_SOURCE_DIR="$source/tcllib" -DCMAKE_CXX_FLAGS="${EXAMPLE_CXX_FLAGS:-}" \
    -DCMAKE_EXE_LINKER_FLAGS="${EXAMPLE_LINK_FLAGS:-}" >"$work/configure.log" || {
    cat "$work/configure.log"
    echo "FAILED: configuring the add_subdirectory host" >&2
    exit 1
}
cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 || {
    cat "$work/build.log"
    echo "FAILED: building the add_subdirectory host" >&2
    exit 1
}
(cd "$work" && "$work/build/hello") >"$work/hello.out"
diff "$source/examples/hello/expected.txt" "$work/hello.out" || {
    echo "FAILED: hello built with add_subdirectory printed something else" >&2
    exit 1
}
if readelf -d "$work/build/hello" | grep -q 'NEEDED.*libtcl'; then
    echo "FAILED: hello built with add_subdirectory needs libtcl" >&2
    exit 1
fi
echo "hello built with the source tree as a subdirectory and ran"
