#!/usr/bin/env bash
# Runs the fuzz targets, each for a fixed time or number of executions, starting from its seeds
# in corpus/<target>/. New inputs go to a working corpus in the build tree, never into the
# repository: keep an input by hand (a finding's regression input) by copying it to the seeds.
#   campaign.sh [--build DIR] [--seconds N | --runs N] [--jobs N] [target...]
# Defaults: the build tree build-fuzz, ten minutes per target, every target, one target at a
# time (--jobs runs that many side by side, one per core, each for its full time). Prints one
# line per target (executions, time, findings) and fails when any target found a fault.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../../build-fuzz
budget=(-max_total_time=600)
jobs=1
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --seconds) budget=(-max_total_time="$2"); shift 2 ;;
    --runs) budget=(-runs="$2"); shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    *) break ;;
    esac
done
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for seeds in "$here"/corpus/*/; do
        targets+=("$(basename "$seeds")")
    done
fi

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The settings file target writes a file per input: in memory that costs no disk flushes.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
# fuzz_target <target>: runs it and prints its line; the status tells whether it found a fault.
fuzz_target() {
    local target=$1
    local program=$build/fuzz/fuzz_$target
    local work=$build/fuzz/work/$target
    local findings=$build/fuzz/findings/$target
    mkdir -p "$work" "$findings"
    local log=$build/fuzz/$target.log
    # A target's own libFuzzer flags, one a line, in <target>.options beside this script.
    local options=()
    if [ -f "$here/$target.options" ]; then
        mapfile -t options <"$here/$target.options"
    fi
    local start status=0 seconds runs result
    start=$(date +%s)
    "$program" "${budget[@]}" "${options[@]}" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "$here/corpus/$target" >"$log" 2>&1 || status=$?
    seconds=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ $status -eq 0 ]; then
        result="none"
    else
        result="FAULT (exit $status), input in $findings, log $log"
        grep -E 'ERROR|property failed|runtime error|SUMMARY' "$log" | head -5
    fi
    printf '%-16s %12s executions %6ss  findings: %s\n' "$target" "${runs:-?}" "$seconds" "$result"
    return $status
}

# The targets run jobs at a time; their lines are printed in the targets' order once all ended.
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n || true
    done
    (
        status=0
        fuzz_target "$target" >"$results/$target.out" 2>&1 || status=$?
        echo "$status" >"$results/$target.status"
    ) &
done
wait
failed=0
for target in "${targets[@]}"; do
    cat "$results/$target.out"
    if [ "$(cat "$results/$target.status")" != 0 ]; then
        failed=1
    fi
done
exit $failed
