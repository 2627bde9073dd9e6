#!/bin/bash
# The launcher's benchmarks under Wine, each against a baseline measured in
# the same run:
#   1. hand-off with nothing to update, minus the launcher's 1000 ms wait,
#      against a program that only asks the shell to open the same target;
#   2. updating a 200 MB target (backup and refresh) against two plain cp
#      copies of the same files on the same disk, and, to tell the
#      launcher's share from Wine's, against two bare CopyFileW calls;
#   3. the size of Kolvex.exe.
# Usage: bash bench/launcher_bench.sh [ROUNDS]   (from a fresh clone, too)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
root=$PWD
build=build/win32

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Kolvex kolvex_fixtures handoff_bench shell_open copy_twice >/dev/null

export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash cmake/wine-prefix.sh "$WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then  # the shell wants a display even for a hand-off
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
wineserver -p </dev/null >/dev/null 2>&1 || true  # one may already run
wine cmd /c exit </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
work=$(mktemp -d "$PWD/$build/bench-work.XXXXXX")

echo "== 1. Hand-off"
wine "$build/bench/handoff_bench.exe" $((rounds * 2)) </dev/null

echo
echo "== 2. Updating a 200 MB target"
ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
app=$work/app
mkdir -p "$app/SHARED"
cp "$build/bin/Kolvex.exe" "$app/"
head -c 200M /dev/urandom >"$work/filler"
cat "$build/bin/target_v1013.exe" "$work/filler" >"$work/installed"
cat "$build/bin/target_v1014.exe" "$work/filler" >"$app/SHARED/prog.exe"
reset() {
  cp "$work/installed" "$app/prog.exe"
  rm -f "$app/prog.exeOLD" "$app/_updatefiles.LOG" "$app/target-run.txt"
  sync
}
launch() { (cd "$app" && wine Kolvex.exe prog.exe </dev/null >/dev/null 2>&1); }
: >"$work/update"; : >"$work/idle"; : >"$work/cp"; : >"$work/copyfile"
for ((i = 0; i < rounds; i++)); do
  reset
  t0=$(ms); launch; t1=$(ms)
  cmp -s "$app/prog.exe" "$app/SHARED/prog.exe" && cmp -s "$app/prog.exeOLD" "$work/installed" ||
    { echo "the launcher did not update the target" >&2; exit 1; }
  sync
  t2=$(ms); launch; t3=$(ms)  # the same run with nothing left to update
  [ "$(wc -l <"$app/_updatefiles.LOG")" -eq 1 ] || { echo "the second run updated again" >&2; exit 1; }
  reset
  t4=$(ms); cp "$app/prog.exe" "$app/prog.exeOLD"; cp "$app/SHARED/prog.exe" "$app/prog.exe"; t5=$(ms)
  reset
  (cd "$app" && wine "$root/$build/bench/baseline/copy_twice.exe" prog.exe prog.exeOLD 'SHARED\prog.exe' prog.exe \
     </dev/null | tr -d '\r' >>"$work/copyfile")
  sync
  echo $((t1 - t0)) >>"$work/update"; echo $((t3 - t2)) >>"$work/idle"; echo $((t5 - t4)) >>"$work/cp"
done
update=$(median <"$work/update"); idle=$(median <"$work/idle"); copies=$(median <"$work/cp")
copyfile=$(median <"$work/copyfile")
awk -v u="$update" -v i="$idle" -v c="$copies" -v w="$copyfile" -v n="$rounds" 'BEGIN {
  printf "median of %d rounds:\n", n
  printf "  Kolvex.exe run with the update      %8d ms\n", u
  printf "  Kolvex.exe run, nothing to update   %8d ms\n", i
  printf "  the update itself (difference)      %8d ms\n", u - i
  printf "  two cp copies (baseline)            %8d ms\n", c
  printf "  ratio                               %8.2f   (target: at most 1.2)\n", (u - i) / c
  printf "  two CopyFileW calls under Wine      %8d ms\n", w
  printf "  ratio to them                       %8.2f\n", (u - i) / w
}'

echo
echo "== 3. Size"
size=$(stat -c %s "$build/bin/Kolvex.exe")
echo "  Kolvex.exe  $size bytes ($((size / 1024)) KiB), imports: $(i686-w64-mingw32-objdump -p "$build/bin/Kolvex.exe" |
  awk '/DLL Name/ { printf "%s ", $3 }')"
