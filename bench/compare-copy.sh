#!/usr/bin/env bash
# Times `cp` of a 64 MiB file onto an existing 64 MiB file followed by `sync`,
# the figure to set beside bench_store's BM_ReplaceByCopy on the same machine.
# The files lie under TMPDIR (as bench_store's do), so both use the same disk.
#
# Usage: bench/compare-copy.sh [RUNS]
set -euo pipefail

runs=${1:-20}
size_mib=64

work=$(mktemp -d "${TMPDIR:-/tmp}/compare-copy.XXXXXX")
trap 'rm -rf -- "$work"' EXIT

# Not all zeros, like bench_store's source.
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$work/source.vwi"
cp -- "$work/source.vwi" "$work/target.vwi"
sync

echo "cp + sync of $size_mib MiB onto an existing file, $runs runs, in $work"
if command -v hyperfine >/dev/null 2>&1; then
    hyperfine --warmup 2 --runs "$runs" --time-unit millisecond \
        "cp -- '$work/source.vwi' '$work/target.vwi' && sync" \
        "cp -- '$work/source.vwi' '$work/target.vwi' && sync -- '$work/target.vwi'"
    exit 0
fi

# Without hyperfine: a loop of wall-clock times in nanoseconds.
time_runs() {
    local sync_args=("$@")
    local times=() i start end
    for ((i = 0; i < 2; ++i)); do # warm-up
        cp -- "$work/source.vwi" "$work/target.vwi" && sync "${sync_args[@]}"
    done
    for ((i = 0; i < runs; ++i)); do
        start=$(date +%s%N)
        cp -- "$work/source.vwi" "$work/target.vwi" && sync "${sync_args[@]}"
        end=$(date +%s%N)
        times+=($((end - start)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '
        { t[NR] = $1 / 1e6; sum += t[NR] }
        END {
            median = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
            printf "  mean %.1f ms  median %.1f ms  min %.1f ms  max %.1f ms\n",
                   sum / NR, median, t[1], t[NR]
        }'
}

echo "cp && sync (all file systems):"
time_runs
echo "cp && sync FILE (only the copy, as fdatasync would):"
time_runs -- "$work/target.vwi"
