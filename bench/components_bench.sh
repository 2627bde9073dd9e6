#!/bin/bash
# The cost of the [SKLADNIKI] list under Wine: a start with ten listed
# components, none of which needs refreshing, against a start with none
# listed, both minus the launcher's 1000 ms wait (target: at most 1.5).
# Prints the median, minimum and maximum of each; any failure is printed
# with what was seen, and the exit code is 1.
# Usage: bash bench/components_bench.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-21}
build=build/win32

bench_args=("$@")
source bench/lib/wine-session.sh
bench_build Kolvex kolvex_fixtures handoff_bench
bench_wine
wine "$build/bench/handoff_bench.exe" "$rounds" components </dev/null | tr -d '\r'
