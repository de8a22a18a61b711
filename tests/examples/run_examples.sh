#!/usr/bin/env bash
# Installs tslc from a build tree into a temporary prefix and builds every example under
# examples/ against that installation, the way a user of the package would: with CMake
# (find_package) and, for the hello example, with pkg-config. Each example must run, print what
# its expected.txt holds and need no libtcl.
#   run_examples.sh <build dir> <source dir>
# EXAMPLE_CXX_FLAGS and EXAMPLE_LINK_FLAGS are added to every compile and link (the sanitizer
# tree passes its sanitizer options there).
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
cxx_flags=${EXAMPLE_CXX_FLAGS:-}
link_flags=${EXAMPLE_LINK_FLAGS:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"
    fail "cmake --install"
}

# Only the public headers are installed, each of them.
public=$source/tcllib/include/tslc
if [ -d "$public" ]; then
    diff <(cd "$public" && find . -type f | sort) <(cd "$prefix/include/tslc" && find . -type f | sort) ||
        fail "the installed headers are not exactly the public headers"
fi
libdir=$(dirname "$(find "$prefix" -name libtslc.a | head -n1)")
[ -f "$libdir/libtslc.a" ] || fail "no libtslc.a under $prefix"
for f in tslcConfig.cmake tslcConfigVersion.cmake tslcTargets.cmake; do
    [ -f "$libdir/cmake/tslc/$f" ] || fail "no $f"
done
[ -f "$libdir/pkgconfig/tslc.pc" ] || fail "no tslc.pc"

# run_example <name> <program>: runs it in the work folder and compares its output.
run_example() {
    local name=$1 program=$2
    (cd "$work" && "$program") >"$work/$name.out" || fail "$name exited with $?"
    if [ -f "$source/examples/$name/expected.txt" ]; then
        diff "$source/examples/$name/expected.txt" "$work/$name.out" ||
            fail "$name printed something else than examples/$name/expected.txt"
    fi
    if readelf -d "$program" | grep -q 'NEEDED.*libtcl'; then
        fail "$name needs libtcl"
    fi
}

for dir in "$source"/examples/*/; do
    name=$(basename "$dir")
    [ -f "$dir/CMakeLists.txt" ] || continue
    echo "== $name (CMake package)"
    cmake -S "$dir" -B "$work/build-$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS="$cxx_flags" \
        -DCMAKE_EXE_LINKER_FLAGS="$link_flags" >"$work/$name.configure.log" || {
        cat "$work/$name.configure.log"
        fail "configuring $name"
    }
    cmake --build "$work/build-$name" -j2 >"$work/$name.build.log" 2>&1 || {
        cat "$work/$name.build.log"
        fail "building $name"
    }
    run_example "$name" "$work/build-$name/$name"
done

echo "== hello (pkg-config)"
export PKG_CONFIG_PATH=$libdir/pkgconfig
# shellcheck disable=SC2046,SC2086
"${CXX:-c++}" -std=c++20 $cxx_flags $(pkg-config --cflags tslc) "$source/examples/hello/main.cpp" \
    -o "$work/hello-pc" $link_flags $(pkg-config --libs tslc) || fail "building hello with pkg-config"
run_example hello "$work/hello-pc"
echo "all examples built against the installed package and ran"
