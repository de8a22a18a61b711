#!/usr/bin/env bash
# Sets up, builds and runs Quillet on a Debian machine.
#   ./quillet.sh run [file]   install what is missing, build, start the editor
#   ./quillet.sh test         install what is missing, check the format, build with warnings as
#                             errors, build the library reference (a Doxygen warning fails it),
#                             run every test, run them again under AddressSanitizer and
#                             UndefinedBehaviorSanitizer, then build and briefly run the fuzzers
set -euo pipefail
# File names on the command line are the caller's: relative ones mean the caller's directory.
CALLER_DIR=$PWD
cd "$(dirname "$0")"

PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev tcl8.6
          tcl8.6-dev tcl8.6-doc tk8.6 zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev
          fonts-liberation2 clang libclang-rt-14-dev clang-format git doxygen xvfb xauth)
JOBS=${JOBS:-2}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

build() { # build <dir> [--target <target>] <cmake options...>
    local dir=$1 target=(); shift
    if [ "${1:-}" = --target ]; then target=(--target "$2"); shift 2; fi
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$JOBS" "${target[@]}"
}

# Every tracked C and C++ file must be as clang-format (with .clang-format) writes it.
check_format() {
    git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 -r clang-format --dry-run --Werror
}

case "${1:-}" in
run)
    shift
    if [ $# -gt 0 ] && [ -n "$1" ] && [ "${1:0:1}" != / ]; then
        set -- "$CALLER_DIR/$1" "${@:2}"
    fi
    install_missing
    build build -DQUILLET_LIB_ONLY=OFF -DQUILLET_SANITIZE=OFF -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF
    # cmds.dat is read from the current directory; the build puts it beside the program.
    cd build/bin && exec ./quillet "$@"
    ;;
test)
    install_missing
    check_format
    build build -DQUILLET_LIB_ONLY=OFF -DQUILLET_SANITIZE=OFF -DQUILLET_BUILD_TESTS=ON \
        -DQUILLET_BUILD_BENCH=ON -DQUILLET_WERROR=ON
    cmake --build build --target docs
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS")
    build build-asan -DQUILLET_LIB_ONLY=OFF -DQUILLET_SANITIZE=ON -DQUILLET_BUILD_TESTS=ON \
        -DQUILLET_BUILD_BENCH=OFF -DQUILLET_WERROR=ON
    (cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
        ctest --output-on-failure -j "$JOBS")
    CC=clang CXX=clang++ build build-fuzz --target quillet_fuzzers -DQUILLET_LIB_ONLY=ON \
        -DQUILLET_FUZZ=ON -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF -DQUILLET_WERROR=ON
    tests/fuzz/campaign.sh --build build-fuzz --seconds 15
    ;;
*)
    echo "usage: $0 run [file] | test" >&2
    exit 2
    ;;
esac
