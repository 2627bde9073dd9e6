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

log=$(mktemp)
trap 'rm -f "$log"' EXIT
{ cmake --preset win32 && cmake --build --preset win32 --target Kolvex kolvex_fixtures handoff_bench; } >"$log" 2>&1 ||
  { tail -30 "$log" >&2; echo "components_bench: FAILED: building the programs" >&2; exit 1; }

export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh "$WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then  # the shell wants a display even for a hand-off
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
wineserver -p </dev/null >/dev/null 2>&1 || true  # one may already run
wine cmd /c exit </dev/null >/dev/null 2>&1
wine "$build/bench/handoff_bench.exe" "$rounds" components </dev/null | tr -d '\r'
