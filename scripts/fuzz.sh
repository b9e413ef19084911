#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time each, starting from the seed
# corpus committed under fuzz/<target>/corpus. New inputs go to <build>/fuzz-corpus/<target>, so
# the committed seeds are never changed; a crash leaves its input in <build>/fuzz-artifacts/ and
# fails the run.
#
# usage: scripts/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:?usage: fuzz.sh BUILD_DIR SECONDS}"
seconds="${2:?usage: fuzz.sh BUILD_DIR SECONDS}"
build="$(cd "$build" && pwd)"

status=0
summary=()
for target in document batch_splitter connect_string; do
    program="$build/fuzz/fuzz_$target"
    corpus="$build/fuzz-corpus/$target"
    artifacts="$build/fuzz-artifacts/$target/"
    log="$build/fuzz-$target.log"
    mkdir -p "$corpus" "$artifacts"
    echo "== fuzz_$target for ${seconds}s"
    started=$(date +%s)
    # -rss_limit_mb: the inputs are small; a target that needs more memory has a bug.
    if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$corpus" "$here/fuzz/$target/corpus" >"$log" 2>&1; then
        status=1
        tail -n 40 "$log"
        echo "fuzz_$target FAILED; the input is in $artifacts"
    fi
    elapsed=$(($(date +%s) - started))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    units=$(find "$corpus" -type f | wc -l)
    seeds=$(find "$here/fuzz/$target/corpus" -type f | wc -l)
    summary+=("fuzz_$target: ${runs:-?} runs in ${elapsed}s, ${speed:-?} exec/s, corpus $seeds seeds + $units found")
done
printf '%s\n' "${summary[@]}"
exit $status
