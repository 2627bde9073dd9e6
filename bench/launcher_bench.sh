#!/bin/bash
# The launcher's benchmarks under Wine, each against a baseline measured in
# the same run:
#   1. hand-off with nothing to update, minus the launcher's 1000 ms wait,
#      against the floor of a correct hand-off (COM and ShellExecuteEx) and a
#      program that only asks the shell to open the same target: on the
#      machine's cores, then with the whole Wine session on one core; and a
#      start whose shared directory does not answer (a FUSE share whose
#      look-ups stall, tests/e2e/stalling_share.py) against the quiet start;
#   2. updating a 200 MB target (backup and refresh) against two plain cp
#      copies of the same files on the same disk, and, to tell the
#      launcher's share from Wine's, against two bare CopyFileW calls;
#   3. the size of Kolvex.exe.
# Every figure is the median of the rounds, with their minimum and maximum.
# Each round waits until the programs it started have ended before it touches
# their files. Any failure is printed with what was seen, and the exit code
# is 1.
# Usage: bash bench/launcher_bench.sh [ROUNDS]   (from a fresh clone, too)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
root=$PWD
build=build/win32

fail() {
  echo "launcher_bench: FAILED: $*" >&2
  exit 1
}
bench_args=("$@")
source bench/lib/wine-session.sh
bench_build Kolvex kolvex_fixtures handoff_bench copy_twice
bench_wine
work=$(mktemp -d "$PWD/$build/bench-work.XXXXXX")
fuse=
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true
      [ -z "$fuse" ] || { fusermount -u -z "$work/share"; kill -KILL $fuse 2>/dev/null; wait $fuse 2>/dev/null; } || true; rm -rf "$work"' EXIT

echo "== 1. Hand-off"
# Single starts vary by tens of milliseconds on a shared machine: many rounds.
handoff_rounds=$((rounds * 3 > 61 ? rounds * 3 : 61))
wine "$build/bench/handoff_bench.exe" $handoff_rounds </dev/null | tr -d '\r' || fail "the hand-off (see above)"

echo
echo "== 1b. Hand-off, the whole Wine session on one core (taskset -c 1)"
# Wine's server, desktop and programs on two cores hide part of the
# launcher's cost (see README): a fresh session, pinned, shows it.
wineserver -k </dev/null >/dev/null 2>&1 || true
taskset -c 1 bash -c 'wineserver -p </dev/null >/dev/null 2>&1; wine cmd /c exit </dev/null >/dev/null 2>&1
  wine "$0" "$1" </dev/null | tr -d "\r"; code=${PIPESTATUS[0]}; wineserver -k </dev/null >/dev/null 2>&1; exit $code' \
  "$build/bench/handoff_bench.exe" $handoff_rounds || fail "the hand-off on one core (see above)"
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1

echo
echo "== 1c. A share that does not answer"
[ -c /dev/fuse ] && /usr/bin/python3 -c 'import fusepy' 2>/dev/null ||
  fail "the stalled share needs /dev/fuse and python3-fusepy (bash scripts/setup.sh)"
mkdir -p "$work/backing/dead/share" "$work/share"
echo 20 >"$work/backing/dead/stall"
/usr/bin/python3 tests/e2e/stalling_share.py "$work/backing" "$work/share" 2>"$work/fuse.log" &
fuse=$!
for _ in $(seq 100); do mountpoint -q "$work/share" && break; sleep 0.1; done
mountpoint -q "$work/share" || fail "the FUSE share did not mount: $(cat "$work/fuse.log")"
# Into a file: a launcher whose look-up still waits lives on and would hold a pipe.
stalled_rounds=$((rounds * 2 + 1 > 11 ? rounds * 2 + 1 : 11))
wine "$build/bench/handoff_bench.exe" $stalled_rounds stalled "z:${work//\//\\}\\share\\dead\\share" \
  </dev/null >"$work/stalled.out" 2>&1 || { tr -d '\r' <"$work/stalled.out"; fail "the stalled share (see above)"; }
tr -d '\r' <"$work/stalled.out"

echo
echo "== 2. Updating a 200 MB target"
ms() { echo $(($(date +%s%N) / 1000000)); }
# "median min max" of the numbers in a file, one a line.
spread() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[1], v[NR] }'; }
app=$work/app
mkdir -p "$app/SHARED"
cp "$build/bin/Kolvex.exe" "$app/"
head -c 200M /dev/urandom >"$work/filler"
cat "$build/bin/target_v1013.exe" "$work/filler" >"$work/installed"
cat "$build/bin/target_v1014.exe" "$work/filler" >"$app/SHARED/prog.exe"
rm "$work/filler"

# Wine runs each Windows program as a Linux process whose first argument is
# the program's Windows path: no process may run from the installation.
app_windows="z:${app//\//\\}\\"
installation_idle() {
  local f arg0
  for f in /proc/[0-9]*/cmdline; do
    read -r -d '' arg0 <"$f" 2>/dev/null || true
    [[ "${arg0,,}" == "${app_windows,,}"* ]] && return 1
  done
  return 0
}
# After a start, waits until the target has run and every program from the
# installation has ended, and checks that no window was left open.
wait_round() {
  local deadline=$((SECONDS + 60))
  until [ -s "$app/target-run.txt" ] && installation_idle; do
    [ $SECONDS -lt $deadline ] || fail "$1: after 60 s the target $([ -s "$app/target-run.txt" ] &&
      echo "has run but programs from the installation still run" || echo "has not run")"
    sleep 0.02
  done
  local windows
  windows=$(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null || true)
  [ -z "$windows" ] || fail "$1: windows left open: $windows"
}
reset() {
  cp "$work/installed" "$app/prog.exe"
  rm -f "$app/prog.exeOLD" "$app/_updatefiles.LOG" "$app/target-run.txt"
  sync
}
# Starts the launcher as a user would; prints its milliseconds.
launch() {
  local t0 t1 rc=0
  t0=$(ms)
  (cd "$app" && wine Kolvex.exe prog.exe </dev/null >"$work/out" 2>&1) || rc=$?
  t1=$(ms)
  [ $rc -eq 0 ] || fail "$1: Kolvex.exe ended with exit code $rc; it printed: $(tr -d '\r' <"$work/out" | tail -5)"
  wait_round "$1"
  echo $((t1 - t0))
}
same() { cmp -s "$1" "$2" || fail "$3: $(basename "$1") is not as expected ($(stat -c %s "$1" 2>/dev/null || echo missing) bytes)"; }

for name in update idle diff cp copyfile ratio_cp ratio_copyfile; do : >"$work/$name"; done
for ((i = 1; i <= rounds; i++)); do
  reset
  update=$(launch "round $i, the update")
  same "$app/prog.exe" "$app/SHARED/prog.exe" "round $i, the update"
  same "$app/prog.exeOLD" "$work/installed" "round $i, the update"
  sync
  rm "$app/target-run.txt"
  idle=$(launch "round $i, nothing to update")  # the same start with nothing left to update
  lines=$(wc -l <"$app/_updatefiles.LOG")
  [ "$lines" -eq 1 ] || fail "round $i, nothing to update: _updatefiles.LOG has $lines lines, not 1"
  reset
  t0=$(ms); cp "$app/prog.exe" "$app/prog.exeOLD"; cp "$app/SHARED/prog.exe" "$app/prog.exe"; t1=$(ms)
  reset
  copyfile=$(cd "$app" && wine "$root/$build/bench/baseline/copy_twice.exe" prog.exe prog.exeOLD 'SHARED\prog.exe' prog.exe \
    </dev/null | tr -d '\r') || fail "round $i: copy_twice.exe failed"
  sync
  echo "$update" >>"$work/update"; echo "$idle" >>"$work/idle"; echo $((t1 - t0)) >>"$work/cp"
  echo $((update - idle)) >>"$work/diff"; echo "$copyfile" >>"$work/copyfile"
  awk -v d=$((update - idle)) -v c=$((t1 - t0)) -v w="$copyfile" 'BEGIN {
    printf "%.3f\n", d / c > "/dev/stderr"; printf "%.3f\n", d / w }' 2>>"$work/ratio_cp" >>"$work/ratio_copyfile"
done
figure() {
  read -r median min max < <(spread "$work/$2")
  printf "  %-36s %8s %-3s (min %s, max %s)\n" "$1" "$median" "$3" "$min" "$max"
}
echo "$rounds rounds:"
figure "Kolvex.exe run with the update" update ms
figure "Kolvex.exe run, nothing to update" idle ms
figure "the update itself (difference)" diff ms
figure "two cp copies (baseline)" cp ms
figure "ratio (target: at most 1.2)" ratio_cp ""
figure "two CopyFileW calls under Wine" copyfile ms
figure "ratio to them" ratio_copyfile ""

echo
echo "== 3. Size"
size=$(stat -c %s "$build/bin/Kolvex.exe")
echo "  Kolvex.exe  $size bytes ($((size / 1024)) KiB, at most 300 KiB), imports: $(i686-w64-mingw32-objdump -p "$build/bin/Kolvex.exe" |
  awk '/DLL Name/ { printf "%s ", $3 }')"
[ "$size" -le $((300 * 1024)) ] || fail "Kolvex.exe has $size bytes, more than 300 KiB"
