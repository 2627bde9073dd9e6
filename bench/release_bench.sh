#!/bin/bash
# A release in stages against a quiet start, in one run under Wine: a start
# that waits for its stage (reads wydanie.set and both versions, takes
# nothing) and one that counts 1,000 failure markers (one listing of the
# report folder; at the limit it takes nothing either), each against a start
# with nothing to update and no release file. Rounds interleave the three;
# the figure is the median wall time of `wine Kolvex.exe prog.exe` to its
# end, less the launcher's fixed 1000 ms wait, and the ratio to the quiet one.
# Usage: bash bench/release_bench.sh [ROUNDS]   (after cmake --build --preset win32)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
build=$PWD/build/win32
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
work=$(mktemp -d "$build/release-bench.XXXXXX")
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
wineserver -p </dev/null >/dev/null 2>&1; wine cmd /c exit </dev/null >/dev/null 2>&1
win() { winepath -w "$1" 2>/dev/null; }
setup() {  # DIR SHARE-PROGRAM RELEASE-FILE-TEXT MARKERS
  mkdir -p "$1/SHARED" "$1/raporty"
  cp "$build/bin/Kolvex.exe" "$1/"; cp "$build/bin/target_v1013.exe" "$1/prog.exe"
  cp "$build/bin/$2.exe" "$1/SHARED/prog.exe"
  printf '[MAIN]\r\nREPORT_DIR=%s\r\n' "$(win "$1/raporty")" >"$1/baza.set"
  [ -z "$3" ] || printf "$3" >"$1/SHARED/wydanie.set"
  for i in $(seq 1 "$4"); do : >"$1/raporty/PC-$i@1.0.1.4.nieudany"; done
}
setup "$work/quiet" target_v1013 "" 0
setup "$work/wait" target_v1014 '[WYDANIE]\r\nWERSJA=1.0.1.4\r\nLIMIT_BLEDOW=3\r\nETAP=2099-01-01 08:00, 100\r\n' 0
setup "$work/markers" target_v1014 '[WYDANIE]\r\nWERSJA=1.0.1.4\r\nLIMIT_BLEDOW=1000\r\nPILOT=*\r\n' 1000
declare -A times
for r in $(seq "$rounds"); do
  for kind in quiet wait markers; do
    s=$(date +%s%N); wine "$work/$kind/Kolvex.exe" prog.exe </dev/null >/dev/null 2>&1; e=$(date +%s%N)
    times[$kind]+="$(( (e - s) / 1000000 - 1000 )) "
    cmp -s "$work/$kind/prog.exe" "$build/bin/target_v1013.exe" || { echo "release_bench: $kind took the share's program" >&2; exit 1; }
  done
done
median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{a[NR]=$1} END{print a[int((NR+1)/2)]}'; }
q=$(median "${times[quiet]}")
for kind in quiet wait markers; do
  m=$(median "${times[$kind]}")
  printf '%-8s median %5d ms beyond the 1000 ms wait (rounds: %s) ratio %s\n' "$kind" "$m" "${times[$kind]}" \
    "$(awk -v a="$m" -v b="$q" 'BEGIN{printf "%.3f", a/b}')"
done
grep -h '^WYDANIE=' "$work"/*/raporty/*.txt | tr -d '\r'
