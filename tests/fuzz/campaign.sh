#!/usr/bin/env bash
# Runs the fuzz targets, each for a fixed time or number of executions, starting from its seeds
# in corpus/<target>/. New inputs go to a working corpus in the build tree, never into the
# repository: keep an input by hand (a finding's regression input) by copying it to the seeds.
#   campaign.sh [--build DIR] [--seconds N | --runs N] [target...]
# Defaults: the build tree build-fuzz, ten minutes per target, every target. Prints one line per
# target (executions, time, findings) and fails when any target found a fault.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../../build-fuzz
budget=(-max_total_time=600)
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --seconds) budget=(-max_total_time="$2"); shift 2 ;;
    --runs) budget=(-runs="$2"); shift 2 ;;
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
failed=0
for target in "${targets[@]}"; do
    program=$build/fuzz/fuzz_$target
    work=$build/fuzz/work/$target
    findings=$build/fuzz/findings/$target
    mkdir -p "$work" "$findings"
    log=$build/fuzz/$target.log
    # A target's own libFuzzer flags, one a line, in <target>.options beside this script.
    options=()
    if [ -f "$here/$target.options" ]; then
        mapfile -t options <"$here/$target.options"
    fi
    start=$(date +%s)
    status=0
    "$program" "${budget[@]}" "${options[@]}" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "$here/corpus/$target" >"$log" 2>&1 || status=$?
    seconds=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ $status -eq 0 ]; then
        result="none"
    else
        failed=1
        result="FAULT (exit $status), input in $findings, log $log"
        grep -E 'ERROR|property failed|runtime error|SUMMARY' "$log" | head -5 >&2 || true
    fi
    printf '%-16s %12s executions %6ss  findings: %s\n' "$target" "${runs:-?}" "$seconds" "$result"
done
exit $failed
