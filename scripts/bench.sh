#!/bin/bash
# Runs every benchmark and prints its figures: the portable core's Google
# Benchmark programs (optimised host build), then the Windows programs under
# Wine. Each measures its own baseline in the same run and prints ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  bash scripts/setup.sh >/dev/null
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

echo "== Building"
cmake --preset bench >/dev/null && cmake --build --preset bench >/dev/null
cmake --preset win32 >/dev/null && cmake --build --preset win32 >/dev/null

for b in build/bench/bench/*_bench; do
  [ -x "$b" ] || continue
  echo
  echo "== $(basename "$b") (host)"
  "$b" --benchmark_color=false --benchmark_counters_tabular=true 2>&1 | grep -v '^\*\*\*'
done

export WINEPREFIX=$PWD/build/win32/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh "$WINEPREFIX"
run_wine_benches() {
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1
  for b in build/win32/bench/*.exe; do
    # The hand-off is measured by bench/launcher_bench.sh, with its baseline.
    [ "$(basename "$b")" = handoff_bench.exe ] && continue
    echo
    echo "== $(basename "$b" .exe) (Wine)"
    wine "$b" </dev/null 2>&1 | tr -d '\r'
  done
  for s in bench/*.sh; do
    [ -f "$s" ] || continue
    echo
    echo "== $(basename "$s" .sh) (Wine, whole processes)"
    bash "$s"
  done
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
run_wine_benches

echo
echo "== Sizes"
ls -l build/win32/bin/Kolvex.exe | awk '{printf "  Kolvex.exe: %d bytes\n", $5}'
printf '  imports: %s\n' "$(i686-w64-mingw32-objdump -p build/win32/bin/Kolvex.exe | awk '/DLL Name/ {print $3}' | tr '\n' ' ')"
