#!/usr/bin/env bash
# Sets up, builds and runs Quillet on a Debian machine.
#   ./quillet.sh run [file]   install what is missing, build, start the editor
#   ./quillet.sh test         install what is missing, check the format, build with warnings as
#                             errors, build the library reference (a Doxygen warning fails it),
#                             run every test, run them again under AddressSanitizer and
#                             UndefinedBehaviorSanitizer, then build and briefly run the fuzzers
# Builds are incremental (Ninja) and cached (ccache, in .cache/ccache); a test step whose inputs
# (every file of the working tree, the installed packages, the step's settings) are those of its
# last passing run is not run again. QUILLET_RETEST=1 runs every step all the same.
set -euo pipefail
# File names on the command line are the caller's: relative ones mean the caller's directory.
CALLER_DIR=$PWD
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build ccache g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          libx11-dev tcl8.6 tcl8.6-dev tcl8.6-doc tk8.6 zlib1g-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-liberation2 clang libclang-rt-14-dev clang-format git doxygen xvfb
          xauth desktop-file-utils dpkg-dev file lld)
JOBS=${JOBS:-2}
FUZZ_SECONDS=15

# Every compile goes through ccache, also those of the trees the tests configure themselves
# (CMake takes the launcher and the generator from the environment). The cache lives in the
# repository's .cache, where a rerun finds it; the directory a compile runs in is not part of
# its key, so that the tests' scratch trees hit it too.
export CCACHE_DIR=${CCACHE_DIR:-$PWD/.cache/ccache}
export CCACHE_BASEDIR=$PWD
export CCACHE_NOHASHDIR=true
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-4G}
# Depend mode takes a compile's headers from the dependency file the compiler writes anyway, so a
# miss (every compile of a fresh clone) costs no extra run of the preprocessor.
export CCACHE_DEPEND=${CCACHE_DEPEND:-true}
export CMAKE_C_COMPILER_LAUNCHER=ccache
export CMAKE_CXX_COMPILER_LAUNCHER=ccache
export CMAKE_GENERATOR=Ninja

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
    # A tree that another generator made cannot be switched to Ninja: it starts afresh.
    if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; then
        rm -rf "$dir"
    fi
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$JOBS" "${target[@]}"
}

# Every tracked C and C++ file must be as clang-format (with .clang-format) writes it.
check_format() {
    git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 -r clang-format --dry-run --Werror
}

# What every test step depends on besides its own settings: the working tree as it is now
# (tracked and new files, changed or not) and the installed packages. Empty outside a git
# checkout, where every step runs.
tree_state() {
    git rev-parse --is-inside-work-tree >/dev/null 2>&1 || return 0
    local index
    index=$(mktemp)
    # A copy of the real index, so that only the files that changed are read again.
    cp "$(git rev-parse --git-path index)" "$index" 2>/dev/null || true
    GIT_INDEX_FILE=$index git add -A . >/dev/null 2>&1
    GIT_INDEX_FILE=$index git write-tree
    rm -f "$index"
    dpkg-query -W -f='${Package} ${Version}\n' "${PACKAGES[@]}" 2>/dev/null
}

# tested <stamp> <key> <command...>: runs command unless it passed last time with the same key;
# a pass records the key in stamp.
tested() {
    local stamp=$1 key=$2
    shift 2
    if [ -n "$key" ] && [ -z "${QUILLET_RETEST:-}" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$key" ]; then
        echo "Passed before with these same inputs; not run again (QUILLET_RETEST=1 runs it)."
        return
    fi
    rm -f "$stamp"
    "$@"
    [ -z "$key" ] || echo "$key" >"$stamp"
}

key_of() { # key_of <text>: empty when the tree has no state to compare
    if [ -n "$TREE_STATE" ]; then printf '%s\n%s\n' "$TREE_STATE" "$1" | sha256sum | cut -d' ' -f1; fi
}

# step <name> <command...>: runs a command of the test run and notes how long it took.
STEP_TIMES=()
step() {
    local name=$1 start=$SECONDS
    shift
    echo "=== $name"
    "$@"
    STEP_TIMES+=("$(printf '%-34s %5ss' "$name" $((SECONDS - start)))")
}

report_times() {
    echo "=== Time per step"
    printf '%s\n' "${STEP_TIMES[@]}"
    printf '%-34s %5ss\n' "all" "$SECONDS"
}

# Builds that begin early, at a lower priority, beside the steps before them: they take the
# processor time those leave idle (configuring, linking, tests waiting on their processes) and
# give it back as soon as a step in front wants it. Each runs in a process group of its own, so
# that a failed run stops it whole; its output is shown when its step comes.
declare -A ALONGSIDE_PID ALONGSIDE_BEGAN
ALONGSIDE_LOGS=$PWD/.cache/alongside
begin_alongside() { # begin_alongside <name> <niceness> <command...>
    local name=$1 niceness=$2
    shift 2
    mkdir -p "$ALONGSIDE_LOGS"
    set -m
    (
        renice -n "$niceness" -p "$BASHPID" >/dev/null
        "$@"
    ) </dev/null >"$ALONGSIDE_LOGS/$name.log" 2>&1 &
    ALONGSIDE_PID[$name]=$!
    set +m
    ALONGSIDE_BEGAN[$name]=$SECONDS
}

# step_alongside <name>: the step of a build begun alongside; it waits for the build's end,
# shows its output and notes both how long the build took and how long the run waited for it.
step_alongside() {
    local name=$1 start=$SECONDS status=0
    echo "=== $name (began alongside the steps before)"
    wait "${ALONGSIDE_PID[$name]}" || status=$?
    unset "ALONGSIDE_PID[$name]"
    cat "$ALONGSIDE_LOGS/$name.log"
    [ $status -eq 0 ] || exit $status
    STEP_TIMES+=("$(printf '%-34s %5ss  (%ss in all alongside)' "$name" $((SECONDS - start)) \
        $((SECONDS - ALONGSIDE_BEGAN[$name])))")
}

stop_alongside() {
    local pid
    for pid in "${ALONGSIDE_PID[@]}"; do
        kill -- "-$pid" 2>/dev/null || true
    done
}
trap stop_alongside EXIT
trap 'exit 130' INT TERM

run_ctest() { # run_ctest <tree> <environment...>
    local tree=$1
    shift
    (cd "$tree" && env QT_QPA_PLATFORM=offscreen "$@" ctest --output-on-failure -j "$JOBS")
}

build_fuzzers() {
    CC=clang CXX=clang++ build build-fuzz --target quillet_fuzzers -DQUILLET_LIB_ONLY=ON \
        -DQUILLET_FUZZ=ON -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF -DQUILLET_WERROR=ON
}

# The fuzzers depend on their own programs, seeds and options, not on the rest of the tree.
fuzz_key() {
    {
        sha256sum build-fuzz/fuzz/fuzz_*
        find tests/fuzz -type f -print0 | sort -z | xargs -0 sha256sum
        echo "$FUZZ_SECONDS"
    } | sha256sum | cut -d' ' -f1
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
    step "install what is missing" install_missing
    step "format" check_format
    TREE_STATE=$(tree_state)
    # The sanitized tree before the fuzzers: its tests come first.
    begin_alongside "build with sanitizers" 10 build build-asan -DQUILLET_LIB_ONLY=OFF \
        -DQUILLET_SANITIZE=ON -DQUILLET_BUILD_TESTS=ON -DQUILLET_BUILD_BENCH=OFF -DQUILLET_WERROR=ON
    begin_alongside "build fuzzers" 19 build_fuzzers
    step "build" build build -DQUILLET_LIB_ONLY=OFF -DQUILLET_SANITIZE=OFF -DQUILLET_BUILD_TESTS=ON \
        -DQUILLET_BUILD_BENCH=ON -DQUILLET_WERROR=ON
    step "reference" cmake --build build --target docs
    step "tests" tested build/.quillet-passed "$(key_of tests)" run_ctest build
    step_alongside "build with sanitizers"
    step "tests with sanitizers" tested build-asan/.quillet-passed "$(key_of sanitized-tests)" \
        run_ctest build-asan ASAN_OPTIONS=detect_leaks=1
    step_alongside "build fuzzers"
    # One fuzzer per core, each for the same time.
    step "fuzz" tested build-fuzz/.quillet-passed "$(fuzz_key)" \
        tests/fuzz/campaign.sh --build build-fuzz --seconds "$FUZZ_SECONDS" --jobs "$JOBS"
    report_times
    ;;
*)
    echo "usage: $0 run [file] | test" >&2
    exit 2
    ;;
esac
