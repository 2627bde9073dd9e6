#!/bin/bash
# The per-machine way (AKTUALIZACJA=usluga) under Wine, each figure against
# a baseline measured in the same run:
#   1. a start with nothing to update, the update service already running,
#      against the same start in today's way (target: at most 1.1); and the
#      same start with the service stopped, started on demand (measured);
#   2. the service updating a 200 MB program (backup and flushed refresh)
#      against its floor, two bare CopyFileW calls and one flush of the copy
#      (target: at most 1.3), as update_bench.sh measures today's way;
#   3. what the service, idle, keeps resident (private memory, threads).
# Usage: bash bench/service_bench.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
root=$PWD
build=build/win32

bench_args=("$@")
source bench/lib/wine-session.sh
bench_build Kolvex KolvexUsluga kolvex_fixtures copy_twice
bench_wine
# The folders above an installation the service writes may not be writable
# by everybody (it refuses them): under the build, unless the clone lies in
# such a folder (/tmp), and then in /var/lib, as the service's test does.
parent=$PWD/$build
for d in "$parent" $(d=$parent; while [ "$d" != / ]; do d=$(dirname "$d"); echo "$d"; done); do
  [ -z "$(find "$d" -maxdepth 0 -perm -o+w)" ] || { parent=/var/lib; break; }
done
work=$(mktemp -d "$parent/kolvex-bench-service.XXXXXX")
win() { printf 'Z:%s' "${1//\//\\}"; }
adm() { wine "$build/bin/kolvexadm.exe" "$@" </dev/null >"$work/out" 2>&1; }
cleanup() { adm usluga usun "$(win "$work/usluga")" || true; rm -rf "$work"; }
trap cleanup EXIT

ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
fail() { echo "service_bench: FAILED: $*" >&2; exit 1; }
launch() {  # DIR: a start of the installation there
  local rc=0
  (cd "$1" && wine Kolvex.exe prog.exe </dev/null >"$work/out" 2>&1) || rc=$?
  [ $rc -eq 0 ] || fail "Kolvex.exe in $1 ended with exit code $rc: $(tr -d '\r' <"$work/out" | tail -5)"
}
service_state() { wine sc query KolvexUsluga </dev/null 2>/dev/null | tr -d '\r' | awk '/STATE/ { print $4 }'; }
stop_service() {
  wine sc stop KolvexUsluga </dev/null >/dev/null 2>&1 || true
  for _ in $(seq 100); do [ "$(service_state)" = STOPPED ] && return; sleep 0.1; done
  fail "the service did not stop"
}
# An installation in DIR of PROGRAM with the share holding SHARED, its
# baza.set saying SETTINGS.
install() {
  rm -rf "$1"; mkdir -p "$1/SHARED"
  cp "$build/bin/Kolvex.exe" "$1/"; cp "$2" "$1/prog.exe"; cp "$3" "$1/SHARED/prog.exe"
  printf '[MAIN]\r\n%b' "$4" >"$1/baza.set"
}

echo "== 1. A start with nothing to update: through the running service, in today's way, service stopped"
today=$work/dzis service=$work/usluga
install "$today" "$build/bin/target_v1014.exe" "$build/bin/target_v1014.exe" ''
install "$service" "$build/bin/target_v1014.exe" "$build/bin/target_v1014.exe" 'AKTUALIZACJA=usluga\r\n'
adm usluga zainstaluj "$(win "$service")" || fail "registering: $(tr -d '\r' <"$work/out")"
launch "$service"  # the service running, its first request served
: >"$work/today"; : >"$work/running"; : >"$work/stopped"
for ((i = 0; i < rounds; i++)); do
  t0=$(ms); launch "$today"; t1=$(ms)
  t2=$(ms); launch "$service"; t3=$(ms)
  [ "$(service_state)" = RUNNING ] || fail "round $i: the service is not running after a start"
  stop_service
  t4=$(ms); launch "$service"; t5=$(ms)
  echo $((t1 - t0)) >>"$work/today"; echo $((t3 - t2)) >>"$work/running"; echo $((t5 - t4)) >>"$work/stopped"
done
today_ms=$(median <"$work/today"); running=$(median <"$work/running"); stopped=$(median <"$work/stopped")
awk -v t="$today_ms" -v r="$running" -v s="$stopped" -v n="$rounds" 'BEGIN {
  printf "median of %d rounds (each start waits its one second first):\n", n
  printf "  today'"'"'s way                                  %8d ms\n", t
  printf "  through the running service                  %8d ms   ratio %.3f (target: at most 1.1)\n", r, r / t
  printf "  the service stopped, started on demand       %8d ms   ratio %.3f\n", s, s / t
}'

echo
echo "== 2. The service updating a 200 MB program against its floor"
head -c 200M /dev/urandom >"$work/filler"
cat "$build/bin/target_v1013.exe" "$work/filler" >"$work/installed"
cat "$build/bin/target_v1014.exe" "$work/filler" >"$service/SHARED/prog.exe"
reset() {
  cp "$work/installed" "$service/prog.exe"
  rm -f "$service/prog.exeOLD" "$service/_updatefiles.LOG" "$service"/~prog.exe.*.kolvex-old
  sync
}
: >"$work/update"; : >"$work/idle"; : >"$work/floor"
for ((i = 0; i < rounds; i++)); do
  reset
  t0=$(ms); launch "$service"; t1=$(ms)
  cmp -s "$service/prog.exe" "$service/SHARED/prog.exe" && cmp -s "$service/prog.exeOLD" "$work/installed" &&
    [ "$(wc -l <"$service/_updatefiles.LOG")" = 1 ] || fail "round $i: the service did not update exactly once"
  sync
  t2=$(ms); launch "$service"; t3=$(ms)  # the same start with nothing left to update
  reset
  floor_ms=$(cd "$service" && wine "$root/$build/bench/baseline/copy_twice.exe" prog.exe prog.exeOLD \
     'SHARED\prog.exe' prog.exe flush </dev/null 2>&1 | tr -d '\r') || fail "round $i: copy_twice.exe: $floor_ms"
  echo "$floor_ms" >>"$work/floor"; echo $((t1 - t0)) >>"$work/update"; echo $((t3 - t2)) >>"$work/idle"
done
update=$(median <"$work/update"); idle=$(median <"$work/idle"); floor=$(median <"$work/floor")
awk -v u="$update" -v i="$idle" -v f="$floor" -v n="$rounds" 'BEGIN {
  printf "median of %d rounds:\n", n
  printf "  the update by the service (start with it minus start without)  %8d ms\n", u - i
  printf "  two CopyFileW calls and a flush (floor)                        %8d ms\n", f
  printf "  ratio                                                          %8.2f   (target: at most 1.3)\n", (u - i) / f
}'

echo
echo "== 3. The service's resident cost while idle"
sleep 3  # the last start's connection gone
pid=$(for p in $(pgrep -f 'KolvexUsluga\.exe'); do
  grep -qz "^WINEPREFIX=$WINEPREFIX\$" /proc/$p/environ 2>/dev/null && echo $p; done | head -1 || true)
[ -n "$pid" ] || fail "the service is not running"
awk '/^(RssAnon|VmRSS|Threads):/ { printf "  %-10s %s %s\n", $1, $2, $3 }' /proc/$pid/status
echo "  (under Wine: RssAnon is the process's private memory in RAM; Wine's own libraries count in VmRSS)"
