#!/bin/bash
# Setting a workstation up from a local share under Wine: "kolvexadm
# zainstaluj" of a 20 MB program and ten listed files (100 KB each) with
# Kolvex.exe into an empty folder (the verified copy of each, baza.set, the
# folder's rights, a shortcut, the uninstall entry), against a program that
# copies the same files with CopyFileW (target: at most 1.3 times). Both
# timed from outside, process start included; one run each, as asked, and
# the set-up's second run (nothing to do). Also the tools' MSI's size.
# Usage: bash bench/setup_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/win32
bench_args=("$@")
source bench/lib/wine-session.sh
bench_build kolvexadm copy_files package_msi
bench_wine

work=$(mktemp -d "$PWD/$build/setup-bench.XXXXXX")
folder="C:\\kolvex-setup-bench-${work##*.}"
trap 'for f in "$folder" "$folder-rozgrzewka"; do "$build/wine-run" "$build/bin/kolvexadm.exe" odinstaluj "$f" >/dev/null 2>&1; done; rm -rf "$work" "$WINEPREFIX/drive_c/kolvex-setup-bench-"*' EXIT
share=$work/share names=(Kolvex.exe prog.exe)
mkdir -p "$share"
cp "$build/bin/Kolvex.exe" "$share/"
{ cat "$build/bin/target_v1013.exe"; head -c $((20 * 1024 * 1024)) /dev/urandom; } >"$share/prog.exe"
printf '[SKLADNIKI]\r\n' >"$share/baza-wzor.set"
for i in $(seq 1 10); do
  head -c $((100 * 1024)) /dev/urandom >"$share/plik$i.dat"; names+=("plik$i.dat")
  printf 'p%d=plik%d.dat,2\r\n' "$i" "$i" >>"$share/baza-wzor.set"
done
win() { printf 'Z:%s' "${1//\//\\}"; }
ms() { local start=$(date +%s%N); "$@" </dev/null >/dev/null || { echo "FAILED: $*" >&2; exit 1; }; echo $(( ($(date +%s%N) - start) / 1000000 )); }
adm() { "$build/wine-run" "$build/bin/kolvexadm.exe" "$@"; }
copy() { "$build/wine-run" "$build/bench/baseline/copy_files.exe" "$@"; }
# Each program once untimed first, into a folder of its own: the system's
# libraries each loads are then in memory for both timed runs alike.
adm zainstaluj "$(win "$share")" "$folder-rozgrzewka" prog.exe /nazwa "Bench rozgrzewka" </dev/null >/dev/null
copy "$(win "$share")" "C:\\kolvex-setup-bench-r" "${names[@]}" </dev/null >/dev/null
sync
base=$(ms copy "$(win "$share")" "C:\\kolvex-setup-bench-base" "${names[@]}")
flushed=$(ms copy /flush "$(win "$share")" "C:\\kolvex-setup-bench-flush" "${names[@]}")
setup=$(ms adm zainstaluj "$(win "$share")" "$folder" prog.exe /nazwa "Bench ${work##*.}")
again=$(ms adm zainstaluj "$(win "$share")" "$folder" prog.exe /nazwa "Bench ${work##*.}")
for n in "${names[@]}"; do cmp -s "$share/$n" "$WINEPREFIX/drive_c/kolvex-setup-bench-${work##*.}/$n" || { echo "FAILED: $n" >&2; exit 1; }; done
ratio() { awk "BEGIN{printf \"%.2f\", $1/$2}"; }
echo "kolvexadm zainstaluj: $setup ms; CopyFileW: $base ms (ratio $(ratio $setup $base)); CopyFileW and a flush: $flushed ms (ratio $(ratio $setup $flushed))"
echo "again, nothing to do: $again ms"
echo "MSI: $(stat -c %s "$build"/Kolvex-*.msi) bytes"
