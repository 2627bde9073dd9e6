#!/bin/bash
# Where the hand-off's time goes: Kolvex.exe and the bare shell-open program
# (bench/win32/baseline/shell_open.cpp) started alternately under Wine's
# time-stamped loader and process traces, in one installation with nothing
# to update, and each start cut into phases at the same trace events:
#   loading     process created .. its imports loaded (entry point set)
#   start-up    .. user32 connected (imm32.dll loaded), runtime started
#   own work    .. the first call into the window system (winex11.drv loaded,
#               by the shell's hand-off); Kolvex.exe's 1000 ms wait taken off
#   hand-off    .. the target's process created
#   ending      .. the process shuts down (LdrShutdownProcess)
# Each phase is the median of the rounds, with minimum and maximum; tracing
# slows every phase, so the differences count, not the sums.
# Usage: bash bench/handoff_trace.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-9}
build=$PWD/build/win32
fail() {
  echo "handoff_trace: FAILED: $*" >&2
  exit 1
}
cmake --build --preset win32 --target Kolvex kolvex_fixtures >/dev/null || fail "building the programs"
export WINEPREFIX="$build/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh "$WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
WINEDEBUG=-all wineserver -p </dev/null >/dev/null 2>&1 || true
WINEDEBUG=-all wine cmd /c exit </dev/null >/dev/null 2>&1
work=$(mktemp -d "$build/trace-work.XXXXXX")
trap 'WINEDEBUG=-all wineserver -k </dev/null >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
mkdir "$work/SHARED"
cp "$build/bin/Kolvex.exe" "$build/bench/baseline/shell_open.exe" "$work/"
cp "$build/bin/target_v1013.exe" "$work/prog.exe"
cp "$build/bin/target_v1013.exe" "$work/SHARED/prog.exe"
# The session's desktop stays up throughout, as on Windows.
WINEDEBUG=-all wine "$build/bin/desktop_keeper.exe" </dev/null >/dev/null 2>&1 &

# Phase lengths in ms of one traced start: "loading start-up own hand-off ending".
phases() {
  awk -v wait="$2" -F: '
    NR == 1 { pid = $2; t0 = $1 }
    $2 != pid { next }
    /set_entry_point/ && !e { e = $1 }
    /Loaded L".*imm32.dll"/ && !u { u = $1 }
    /Loaded L".*winex11.drv"/ && !x { x = $1 }
    /CreateProcessInternalW started process/ && !c { c = $1 }
    /LdrShutdownProcess/ { s = $1 }
    END {
      if (!e || !u || !x || !c || !s) exit 1
      printf "%.1f %.1f %.1f %.1f %.1f\n", (e - t0) * 1000, (u - e) * 1000, (x - u) * 1000 - wait, (c - x) * 1000, (s - c) * 1000
    }' "$1"
}
run() {  # program wait_ms
  rm -f "$work/target-run.txt"
  (cd "$work" && WINEDEBUG=+timestamp,+pid,+loaddll,+process,+module wine "$1" prog.exe </dev/null >/dev/null 2>"$work/trace") ||
    fail "$1 ended with exit code $?"
  for ((w = 0; w < 500; w++)); do [ -s "$work/target-run.txt" ] && break; sleep 0.02; done
  [ -s "$work/target-run.txt" ] || fail "the target did not run after $1"
  sleep 0.3  # the target ends
  phases "$work/trace" "$2" || fail "the trace of $1 lacks one of its events"
}
run shell_open.exe 0 >/dev/null; run Kolvex.exe 1000 >/dev/null  # the first starts load the files
for ((i = 0; i < rounds; i++)); do
  run Kolvex.exe 1000 >>"$work/kolvex"
  run shell_open.exe 0 >>"$work/shell"
done
stat() { sort -g | awk '{ v[NR] = $1 } END { printf "%6.1f (%5.1f-%5.1f)", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[1], v[NR] }'; }
echo "hand-off phases under trace, ms: median (min-max) of $rounds starts each"
printf "  %-10s %-22s %-22s %s\n" phase Kolvex.exe shell_open.exe "difference of medians"
col=1
for name in loading start-up "own work" hand-off ending; do
  k=$(cut -d' ' -f$col "$work/kolvex" | stat); s=$(cut -d' ' -f$col "$work/shell" | stat)
  printf "  %-10s %-22s %-22s %+6.1f\n" "$name" "$k" "$s" "$(awk -v a="${k%% (*}" -v b="${s%% (*}" 'BEGIN { print a - b }')"
  col=$((col + 1))
done
