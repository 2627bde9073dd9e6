#!/bin/bash
# Updates under load, under Wine, each against a baseline measured in the
# same run:
#   1. eight launchers started at once on one installation with one update
#      to do (a 20 MB program), until the last of them has handed off,
#      against one launcher doing the same update alone (target: at most 1.5);
#   2. updating a 200 MB program (backup and flushed refresh) against its
#      floor, two bare CopyFileW calls and one flush of the copy (target: at
#      most 1.3);
#   3. updating a 100 MB program while a copy of it runs (it is moved aside)
#      against the same update with the program closed, each less a start
#      with nothing to update (target: at most 1.1).
# Usage: bash bench/update_bench.sh [ROUNDS] [PARTS]   (PARTS: e.g. 3 or 13; all by default)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
parts=${2:-123}
root=$PWD
build=build/win32

bench_args=("$@")
source bench/lib/wine-session.sh
bench_build Kolvex kolvex_fixtures copy_twice
bench_wine
work=$(mktemp -d "$PWD/$build/bench-work.XXXXXX")
trap 'rm -rf "$work"' EXIT

ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
fail() { echo "update_bench: FAILED: $*" >&2; exit 1; }

# An installation at $work/app with an installed and a newer shared program
# of the given size in megabytes (of the fixture named by the second
# argument, target by default).
prepare() {
  app=$work/app
  rm -rf "$app"; mkdir -p "$app/SHARED"
  cp "$build/bin/Kolvex.exe" "$app/"
  head -c "$1M" /dev/urandom >"$work/filler"
  cat "$build/bin/${2:-target}_v1013.exe" "$work/filler" >"$work/installed"
  cat "$build/bin/${2:-target}_v1014.exe" "$work/filler" >"$app/SHARED/prog.exe"
}
# The programs the timed starts handed off (all but the running copy of
# part 3, $other) are ended before a round touches their files: a program
# still starting or running holds prog.exe, and a copy over it is refused.
end_handed_off() {
  local p
  for p in $(pgrep -f "${work##*/}.*prog\.exe" || true); do [ "$p" = "${other:-}" ] || kill -9 "$p" 2>/dev/null || true; done
  sleep 0.2
}
reset() {
  end_handed_off
  cp "$work/installed" "$app/prog.exe"
  rm -f "$app/prog.exeOLD" "$app/_updatefiles.LOG" "$app/target-run.txt" "$app"/~prog.exe.*.kolvex-old
  sync
}
launch() {
  local rc=0
  (cd "$app" && wine Kolvex.exe prog.exe </dev/null >"$work/out" 2>&1) || rc=$?
  [ $rc -eq 0 ] || fail "Kolvex.exe ended with exit code $rc; it printed: $(tr -d '\r' <"$work/out" | tail -5)"
}
updated_once() {
  cmp -s "$app/prog.exe" "$app/SHARED/prog.exe" && cmp -s "$app/prog.exeOLD" "$work/installed" &&
    [ "$(wc -l <"$app/_updatefiles.LOG" 2>/dev/null)" = 1 ] ||
    fail "the update was not done exactly once; the installation holds: $(ls -l "$app" | tail -n +2 | tr '\n' ';')"
  ! ls "$app" | grep -q kolvex-tmp || fail "temporary copies were left behind: $(ls "$app" | grep kolvex-tmp)"
}

if [[ $parts == *1* ]]; then
echo "== 1. Eight launchers at once"
prepare 20
: >"$work/alone"; : >"$work/eight"
for ((i = 0; i < rounds; i++)); do
  reset
  t0=$(ms); launch; t1=$(ms)
  updated_once
  reset
  t2=$(ms)
  pids=()
  for ((n = 0; n < 8; n++)); do launch & pids+=($!); done
  for p in "${pids[@]}"; do wait "$p" || fail "a launcher failed"; done
  t3=$(ms)
  updated_once
  echo $((t1 - t0)) >>"$work/alone"; echo $((t3 - t2)) >>"$work/eight"
done
alone=$(median <"$work/alone"); eight=$(median <"$work/eight")
awk -v a="$alone" -v e="$eight" -v n="$rounds" 'BEGIN {
  printf "median of %d rounds:\n", n
  printf "  one launcher, the update alone      %8d ms\n", a
  printf "  eight at once, until the last ends  %8d ms\n", e
  printf "  ratio                               %8.2f   (target: at most 1.5)\n", e / a
}'
fi

if [[ $parts == *2* ]]; then
echo
echo "== 2. Updating a 200 MB program against its floor"
prepare 200
: >"$work/update"; : >"$work/idle"; : >"$work/floor"
for ((i = 0; i < rounds; i++)); do
  reset
  t0=$(ms); launch; t1=$(ms)
  updated_once
  sync
  t2=$(ms); launch; t3=$(ms)  # the same run with nothing left to update
  reset
  floor_ms=$(cd "$app" && wine "$root/$build/bench/baseline/copy_twice.exe" prog.exe prog.exeOLD 'SHARED\prog.exe' \
     prog.exe flush </dev/null 2>&1 | tr -d '\r') || fail "round $i: the floor's copy_twice.exe failed: $floor_ms"
  echo "$floor_ms" >>"$work/floor"
  echo $((t1 - t0)) >>"$work/update"; echo $((t3 - t2)) >>"$work/idle"
done
update=$(median <"$work/update"); idle=$(median <"$work/idle"); floor=$(median <"$work/floor")
awk -v u="$update" -v i="$idle" -v f="$floor" -v n="$rounds" 'BEGIN {
  printf "median of %d rounds:\n", n
  printf "  the update (run with it minus run without)  %8d ms\n", u - i
  printf "  two CopyFileW calls and a flush (floor)     %8d ms\n", f
  printf "  ratio                                       %8.2f   (target: at most 1.3)\n", (u - i) / f
}'
fi

if [[ $parts == *3* ]]; then
echo
echo "== 3. Updating a 100 MB program while a copy of it runs"
prepare 100 demo_app
: >"$work/closed"; : >"$work/running"; : >"$work/quiet"
# Both cases start a copy of the program first and let it settle (it has
# recorded its start, then opens and paints its window); for the closed one
# it ends before the launcher starts. The programs the launcher hands off
# show a window for seconds: they are ended after each timed start, so that
# none competes with the next. The two cases alternate in their order.
update_with_copy() {
  reset
  (cd "$app" && exec wine prog.exe /dlugo </dev/null >/dev/null 2>&1) &
  other=$!
  for _ in $(seq 1 100); do [ -f "$app/target-run.txt" ] && break; sleep 0.1; done
  [ -f "$app/target-run.txt" ] || fail "the copy of the program did not start"
  sleep 1
  if [ "$1" = closed ]; then kill -9 "$other"; wait "$other" 2>/dev/null || true; sleep 0.2; fi
  local t0 t1
  t0=$(ms); launch; t1=$(ms)
  end_handed_off
  updated_once
  if [ "$1" = running ]; then
    kill -0 "$other" 2>/dev/null || fail "the running copy ended during the update"
    ls "$app" | grep -q 'kolvex-old$' || fail "the running copy was not moved aside"
    kill -9 "$other"; wait "$other" 2>/dev/null || true
  elif ls "$app" | grep -q 'kolvex-old$'; then
    fail "the closed program was moved aside: it still ran"
  fi
  echo $((t1 - t0)) >>"$work/$1"
}
for ((i = 0; i < rounds; i++)); do
  if ((i % 2)); then update_with_copy running; update_with_copy closed
  else update_with_copy closed; update_with_copy running; fi
  t2=$(ms); launch; t3=$(ms)  # nothing left to update
  end_handed_off
  echo $((t3 - t2)) >>"$work/quiet"
done
closed=$(median <"$work/closed"); running=$(median <"$work/running"); quiet=$(median <"$work/quiet")
awk -v c="$closed" -v r="$running" -v q="$quiet" -v n="$rounds" 'BEGIN {
  printf "median of %d rounds:\n", n
  printf "  a start with nothing to update                     %8d ms\n", q
  printf "  the update, program closed (less a quiet start)    %8d ms\n", c - q
  printf "  the update, program running (less a quiet start)   %8d ms\n", r - q
  printf "  ratio                                              %8.2f   (target: at most 1.1)\n", (r - q) / (c - q)
}'
fi
