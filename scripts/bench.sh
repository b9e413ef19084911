#!/usr/bin/env bash
# Runs every benchmark of a build tree one after another, shows their output as it comes, keeps
# it in <build dir>/bench.log, and ends with the table of their GOAL lines.
#
#   scripts/bench.sh [build dir]        (default: build)
#
# The test servers (scripts/test-servers.sh) are started when not running already, and stopped
# again at the end only when this script started them. A benchmark the build lacks (the window
# benchmarks without the GUI) is skipped with a note.
set -uo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
LOG="$BUILD_DIR/bench.log"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# Program paths under the build tree, in the order they run.
BENCHMARKS=(
    bench/first_rows/bench_first_rows
    bench/fetch/bench_fetch
    bench/memory/bench_memory
    bench/runner_stream/bench_runner_stream
    bench/fanout/bench_fanout
    bench/intake/bench_intake
    bench/gui_stream/bench_gui_stream
    bench/copy/bench_copy
    bench/grid/bench_grid
    bench/compare/bench_compare
    bench/export/bench_export
    bench/startup/bench_startup
)

if [[ ! -d "$BUILD_DIR" ]]; then
    echo "bench: no build tree $BUILD_DIR (make build first)" >&2
    exit 2
fi

started_servers=0
if ! scripts/test-servers.sh env >/dev/null 2>&1; then
    if scripts/test-servers.sh start; then
        started_servers=1
    else
        echo "bench: the test servers did not start; PostgreSQL and MariaDB are skipped" >&2
    fi
fi
stop_servers() {
    if ((started_servers)); then
        scripts/test-servers.sh stop
    fi
}
trap stop_servers EXIT

: >"$LOG"
failed=0
for benchmark in "${BENCHMARKS[@]}"; do
    program="$BUILD_DIR/$benchmark"
    if [[ ! -x "$program" ]]; then
        echo "== $benchmark: not built here, skipped" | tee -a "$LOG"
        continue
    fi
    echo "== $benchmark" | tee -a "$LOG"
    "$program" 2>&1 | tee -a "$LOG"
    status=${PIPESTATUS[0]}
    if ((status != 0)); then
        echo "== $benchmark exited with $status" | tee -a "$LOG"
        failed=1
    fi
done

echo
scripts/bench-table.sh "$LOG"
exit "$failed"
