#!/bin/bash
# The start report's cost under Wine: a quiet start with REPORT_DIR set
# against the same start without it, both minus the launcher's 1000 ms wait,
# to the target's start (target: at most 1.02; the report is written after
# the hand-off) and to the launcher's end. Prints the median, minimum and
# maximum of each; any failure is printed with what was seen, and the exit
# code is 1.
# Usage: bash bench/report_bench.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-31}
build=build/win32

bench_args=("$@")
source bench/lib/wine-session.sh
bench_build Kolvex kolvex_fixtures handoff_bench
bench_wine
wine "$build/bench/handoff_bench.exe" "$rounds" report </dev/null | tr -d '\r'
