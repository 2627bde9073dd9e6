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
#      with nothing to update (target: at most 1.1);
#   4. updating a 200 MB signed program whose signature SIGNED_BY checks
#      against part 2's floor plus one SHA-256 pass over the file by the
#      system's hash API (target: at most 1.3), and a start with nothing to
#      update with the setting against one without it.
# Usage: bash bench/update_bench.sh [ROUNDS] [PARTS]   (PARTS: e.g. 3 or 14; all by default)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
parts=${2:-1234}
root=$PWD
build=build/win32

bench_args=("$@")
source bench/lib/wine-session.sh
bench_build Kolvex kolvex_fixtures copy_twice sha256_pass
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

if [[ $parts == *4* ]]; then
echo
echo "== 4. Updating a 200 MB signed program, its signature checked, against its floor and one SHA-256 pass"
prepare 200
# Both programs signed by a certificate of the benchmark's own, pinned: the
# check reads the whole copy and takes it.
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Kolvex Bench/C=PL" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key" -out "$work/crt" >"$work/out" 2>&1 ||
  fail "openssl could not make the certificate: $(tail -3 "$work/out")"
for f in "$work/installed" "$app/SHARED/prog.exe"; do
  osslsigncode sign -certs "$work/crt" -key "$work/key" -in "$f" -out "$work/signed" >"$work/out" 2>&1 ||
    fail "osslsigncode could not sign $f: $(tail -3 "$work/out")"
  mv "$work/signed" "$f"
done
printf '[MAIN]\r\nSIGNED_BY=%s\r\n' "$(openssl x509 -in "$work/crt" -noout -fingerprint -sha1 | sed 's/.*=//')" \
  >"$work/baza.set"
baseline() {  # PROGRAM ARGUMENTS...: a baseline's own figure, in milliseconds
  local out
  out=$(cd "$app" && wine "$root/$build/bench/baseline/$1" "${@:2}" </dev/null 2>&1 | tr -d '\r') ||
    fail "round $i: $1 failed: $out"
  echo "$out"
}
: >"$work/checked"; : >"$work/unchecked"; : >"$work/idle"; : >"$work/plain"; : >"$work/floor"; : >"$work/hash"
for ((i = 0; i < rounds; i++)); do
  reset
  cp "$work/baza.set" "$app/"
  t0=$(ms); launch; t1=$(ms)
  updated_once
  sync
  t2=$(ms); launch; t3=$(ms)  # nothing left to update, the setting read
  rm "$app/baza.set"
  t4=$(ms); launch; t5=$(ms)  # nothing left to update, no setting
  reset
  t6=$(ms); launch; t7=$(ms)  # the same update without the setting
  updated_once
  reset
  copy=$(baseline copy_twice.exe prog.exe prog.exeOLD 'SHARED\prog.exe' prog.exe flush)
  hash=$(baseline sha256_pass.exe prog.exe)
  echo $((copy + hash)) >>"$work/floor"; echo "$hash" >>"$work/hash"
  echo $((t1 - t0 - t3 + t2)) >>"$work/checked"; echo $((t7 - t6 - t5 + t4)) >>"$work/unchecked"
  echo $((t3 - t2)) >>"$work/idle"; echo $((t5 - t4)) >>"$work/plain"
done
checked=$(median <"$work/checked"); unchecked=$(median <"$work/unchecked"); floor=$(median <"$work/floor")
hash=$(median <"$work/hash"); idle=$(median <"$work/idle"); plain=$(median <"$work/plain")
awk -v c="$checked" -v u="$unchecked" -v f="$floor" -v h="$hash" -v i="$idle" -v p="$plain" -v n="$rounds" 'BEGIN {
  printf "median of %d rounds (each update less a start with nothing to update):\n", n
  printf "  the update, its signature checked                          %8d ms\n", c
  printf "  two CopyFileW calls, a flush and a SHA-256 pass (floor)    %8d ms\n", f
  printf "  ratio                                                      %8.2f   (target: at most 1.3)\n", c / f
  printf "  the same update without SIGNED_BY                          %8d ms\n", u
  printf "  the check alone (the difference) against the SHA-256 pass  %8d ms / %d ms\n", c - u, h
  printf "  a start with nothing to update, SIGNED_BY set / without    %8d ms / %d ms\n", i, p
}'
fi
