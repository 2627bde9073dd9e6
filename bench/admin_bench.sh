#!/bin/bash
# The administrator's summary of a large report folder under Wine:
# "kolvexadm podsumuj" on 5,000 start reports (four versions, a failure in
# every fiftieth, written over the last ten hours) as it is run again during
# a rollout, a tenth of the reports replaced since its last run (target:
# under one second); the first summary of the folder, with nothing kept from
# an earlier one; and the tool on an empty folder, which is its start and the
# writing of an empty page. Prints the median, minimum and maximum of each.
# Usage: bash bench/admin_bench.sh [ROUNDS] [REPORTS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
reports=${2:-5000}
build=build/win32

bench_args=("$@")
source bench/lib/wine-session.sh
bench_build kolvexadm
bench_wine

work=$(mktemp -d /tmp/kolvexadm-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/full" "$work/empty"
# write_reports FOLDER COUNT EVERY ROUND: the reports of every EVERY-th
# workstation, as their starts of ROUND write them: round 0 all of them over
# the last ten hours, a later round a tenth over the last ten minutes.
write_reports() {
  python3 - "$@" <<'PY'
import os, sys, time
folder, count, every, round = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
now = time.time()
chosen = range(round % every, count, every)
span = 36000 if round == 0 else 600
for k, i in enumerate(chosen):
    lines = ["[KOLVEX]", f"KOMPUTER=STANOWISKO-{i:05}", "UZYTKOWNIK=uzytkownik", f"START=2026-12-{1 + i % 28:02} 08:00:00",
             "KATALOG=C:\\Program Files\\Prog", "WERSJA_KOLVEX=1.0.0.0", "SHARED_DIR=\\\\serwer\\programy\\prog",
             "PROGRAM=prog.exe", "WYNIK=" + ("błąd" if i % 50 == 0 else "aktualny"),
             f"PLIK=prog.exe | 1.0.1.{10 + (i + round) % 4}", "PLIK=prog.dll | 1.0.1.4",
             "PLIK=prog.hlp | 2026-12-01 10:00:00"]
    if i % 50 == 0:
        lines += ["BLAD_CZAS=2026-12-07 08:00:00", "BLAD=Błąd kopiowania pliku: prog.exe", "BLAD=", "BLAD=Brak miejsca na dysku docelowym."]
    path = f"{folder}/STANOWISKO-{i:05}.txt"
    with open(path, "wb") as f:
        f.write(b"\xef\xbb\xbf" + "\r\n".join(lines).encode() + b"\r\n")
    os.utime(path, (now - span + k * span / len(chosen),) * 2)
PY
}
write_reports "$work/full" "$reports" 1 0

# Milliseconds of one run, failing on anything but exit code 0.
run_ms() {
  local start end
  start=$(date +%s%N)
  wine "$build/bin/kolvexadm.exe" podsumuj "Z:${1//\//\\}" </dev/null >/dev/null 2>&1 ||
    { echo "admin_bench: FAILED: kolvexadm podsumuj $1" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%d ms (%d-%d)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }

again=() first=() empty=()
run_ms "$work/full" >/dev/null  # the summary before the rounds
for ((r = 1; r <= rounds; r++)); do
  empty+=("$(run_ms "$work/empty")")
  write_reports "$work/full" "$reports" 10 "$r"
  again+=("$(run_ms "$work/full")")
  cp "$work/full/podsumowanie.dat" "$work/kept"; rm "$work/full/podsumowanie.dat"
  first+=("$(run_ms "$work/full")")
  mv "$work/kept" "$work/full/podsumowanie.dat"
done
grep -q "STANOWISKO-04999" "$work/full/podsumowanie.csv" 2>/dev/null || [ "$reports" -lt 5000 ] ||
  { echo "admin_bench: FAILED: the summary lacks the last report" >&2; exit 1; }
echo "kolvexadm podsumuj, $rounds rounds:"
echo "  $reports reports, a tenth replaced since the last summary: $(printf '%s\n' "${again[@]}" | stats)"
echo "  $reports reports, the first summary of the folder:        $(printf '%s\n' "${first[@]}" | stats)"
echo "  empty folder:                                            $(printf '%s\n' "${empty[@]}" | stats)"
