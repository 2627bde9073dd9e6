#!/bin/bash
# Runs every benchmark and prints its figures: the portable core's Google
# Benchmark programs (optimised host build), then the Windows programs under
# Wine. Each measures its own baseline in the same run and prints every
# figure with the median, minimum and maximum of its rounds. A benchmark
# that fails stops the run with its message and exit code 1.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  bash scripts/setup.sh >/dev/null
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
fail() {
  echo "bench: FAILED: $*" >&2
  exit 1
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Runs a command quietly; on failure shows the end of its output.
quiet() { "$@" >"$scratch/log" 2>&1 || { tail -30 "$scratch/log" >&2; fail "$*"; }; }

echo "== Building"
quiet cmake --preset bench
quiet cmake --build --preset bench
quiet cmake --preset win32
quiet cmake --build --preset win32

# Google Benchmark: five repetitions; each benchmark's real time as the
# median, minimum and maximum of them.
spread_of_repetitions() {
  awk -F, '
    /^name,/ { table = 1; next }
    !table || $1 ~ /_(mean|median|stddev|cv)"$/ { next }
    { name = $1; gsub(/"/, "", name); if (!(name in n)) order[++names] = name
      v[name, ++n[name]] = $3; unit[name] = $5 }
    END {
      printf "  %-44s %10s %10s %10s\n", "real time", "median", "min", "max"
      for (i = 1; i <= names; i++) {
        name = order[i]; k = n[name]
        for (a = 1; a <= k; a++) for (b = a + 1; b <= k; b++)
          if (v[name, b] < v[name, a]) { t = v[name, a]; v[name, a] = v[name, b]; v[name, b] = t }
        median = (k % 2) ? v[name, (k + 1) / 2] : (v[name, k / 2] + v[name, k / 2 + 1]) / 2
        printf "  %-44s %10.3f %10.3f %10.3f %s\n", name, median, v[name, 1], v[name, k], unit[name]
      }
    }' "$1"
}
for b in build/bench/bench/*_bench; do
  [ -x "$b" ] || continue
  echo
  echo "== $(basename "$b") (host)"
  "$b" --benchmark_color=false --benchmark_counters_tabular=true --benchmark_repetitions=5 \
    --benchmark_out="$scratch/gb.csv" --benchmark_out_format=csv 2>&1 |
    grep -v '^\*\*\*' || fail "$(basename "$b")"
  spread_of_repetitions "$scratch/gb.csv"
done

export WINEPREFIX=$PWD/build/win32/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
for b in build/win32/bench/*.exe; do
  # The hand-off is measured by bench/launcher_bench.sh, with its baseline.
  [ "$(basename "$b")" = handoff_bench.exe ] && continue
  echo
  echo "== $(basename "$b" .exe) (Wine)"
  wine "$b" </dev/null 2>&1 | tr -d '\r' || fail "$(basename "$b")"
done
for s in bench/*.sh; do
  [ -f "$s" ] || continue
  echo
  echo "== $(basename "$s" .sh) (Wine, whole processes)"
  bash "$s" || fail "$s"
done

echo
echo "== Sizes"
ls -l build/win32/bin/Kolvex.exe | awk '{printf "  Kolvex.exe: %d bytes\n", $5}'
printf '  imports: %s\n' "$(i686-w64-mingw32-objdump -p build/win32/bin/Kolvex.exe | awk '/DLL Name/ {print $3}' | tr '\n' ' ')"
