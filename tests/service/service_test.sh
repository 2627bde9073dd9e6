#!/bin/bash
# The update service under Wine, as administrators and starts meet it:
# registered in the prefix's service manager and started on demand, what it
# refuses (a folder not registered, a look-alike copy, a link inside, bad
# requests) while it goes on serving, and a pipe of its name made by another
# program first, which nobody talks to. Wine enforces no access lists: those
# are in the README's checklist for real Windows.
# Usage: service_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
source "$(dirname "$0")/../support/expect.sh"
# Under the build: the folders above an installation the service writes may
# not be writable by everybody, as /tmp is.
work=$(mktemp -d "$build/service-test.XXXXXX")
inst=$work/inst
cleanup() { adm usluga usun "$(win "$inst")" >/dev/null; rm -rf "$work"; }
trap cleanup EXIT
probe() { run "$build/bin/pipe_probe.exe" "$@"; }
frame() { printf "$(printf '\\x%02x\\x%02x\\x00\\x00' $(($1 & 255)) $(($1 >> 8)))"; }  # a length, as the pipe's frames begin

mkdir -p "$inst/pomoc" "$work/share/pomoc" "$work/gdzie-indziej"
cp "$build/bin/target_v1013.exe" "$inst/prog.exe"; cp "$build/bin/target_v1014.exe" "$work/share/prog.exe"
echo pomoc >"$inst/pomoc/prog.hlp"; cp -p "$inst/pomoc/prog.hlp" "$work/share/pomoc/"
printf '[MAIN]\r\nSHARED_DIR=%s\r\nAKTUALIZACJA=usluga\r\n[SKLADNIKI]\r\npomoc=pomoc\\prog.hlp,2\r\n' \
  "$(win "$work/share")" >"$inst/baza.set"

out=$(adm usluga zainstaluj "$(win "$inst")"); code=$?
expect register 0 "$out" $code '^Zarejestrowano instalację' 'Usługa czyta katalog wspólny .*share \(plików: 1\)'
out=$(run sc query KolvexUsluga); expect "started on demand" 0 "$out" 0 'RUNNING'

out=$(adm sprawdz "$(win "$inst")" prog.exe); code=$?
expect check 0 "$out" $code '^Usługa aktualizacji \(AKTUALIZACJA=usluga\):$' '^  Usługa czyta katalog wspólny'

cp -a "$inst" "$work/kopia"
out=$(adm sprawdz "$(win "$work/kopia")"); code=$?
expect look-alike 2 "$out" $code 'BŁĄD: ta instalacja nie jest zarejestrowana'

mv "$inst/pomoc" "$work/pomoc-przeniesiona"; ln -s "$work/gdzie-indziej" "$inst/pomoc"
out=$(adm sprawdz "$(win "$inst")"); code=$?
expect link 2 "$out" $code 'BŁĄD: folder .*inst\\pomoc jest łączem'
rm "$inst/pomoc"; mv "$work/pomoc-przeniesiona" "$inst/pomoc"

# Bad requests, one connection each: garbage, too long, never finished, cut short.
{ frame 7; printf 'śmieci'; } >"$work/garbage"; frame 4096 >"$work/long"; { frame 40; printf 'KVQ\x01\x01'; } >"$work/half"
out=$(probe send "$(win "$work/garbage")"); expect garbage 0 "$out" $? '^Refused: nieprawidłowe żądanie$'
out=$(probe send "$(win "$work/long")"); expect too-long 0 "$out" $? '^Refused: żądanie jest dłuższe'
out=$(probe send "$(win "$work/half")"); expect stalled 0 "$out" $? '^Refused: żądanie nie nadeszło w całości w ciągu 2 s$'
probe send "$(win "$work/half")" close
out=$(adm sprawdz "$(win "$inst")"); expect "still serving" 0 "$out" $? '^  Usługa czyta katalog wspólny'

# A squatter: with the service stopped, another program makes its pipe
# first. The service started on demand stops at once, saying why; a start that
# reached the pipe before that finds it is not the service's. Either way
# nothing is sent to it.
run sc stop KolvexUsluga >/dev/null
timeout 20 "$build/wine-run" "$build/bin/pipe_probe.exe" squat >"$work/squatter" 2>/dev/null </dev/null &
for _ in $(seq 100); do grep -q gotowy "$work/squatter" && break; sleep 0.1; done
out=$(adm sprawdz "$(win "$inst")"); code=$?
expect squatter 2 "$out" $code 'BŁĄD: potok usługi aktualizacji zajął inny program'
kill %1 2>/dev/null; wait
grep -q 'bajty=[1-9]' "$work/squatter" && fail "the squatter was sent a request"
out=$(adm usluga usun "$(win "$inst")"); code=$?
expect unregister 1 "$out" $code 'UWAGA: baza.set tej instalacji nadal wybiera usługę' '^Usunięto usługę aktualizacji'
run sc query KolvexUsluga >/dev/null && fail "the service is still installed"
echo "service: $failures failed"
[ "$failures" = 0 ]
