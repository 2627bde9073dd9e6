#!/bin/bash
# kolvexadm as administrators run it: the check on installations as they are
# really mistyped, and the summary of a report folder looked at in a real
# browser (headless Chromium; the screenshot stays in artifacts/).
# Usage: kolvexadm_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/kolvexadm-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/expect.sh"
install() {  # DIR BAZA_SET_TEXT: an installation at 1.0.1.3 with its share at 1.0.1.4
  mkdir -p "$1/SHARED"
  cp "$build/bin/target_v1013.exe" "$1/prog.exe"; cp "$build/bin/target_v1014.exe" "$1/SHARED/prog.exe"
  printf '%b' "$2" >"$1/baza.set"
}

# The tool decides as the update does but shows and logs nothing: neither
# the progress window (its class, its icon) nor the update log is linked in.
for piece in TfTrwaAktualizacja TRWA_AKTUALIZACJA; do
  grep -qaP "$(sed 's/./&\\x00/g' <<<"$piece")" "$build/bin/kolvexadm.exe" && fail "kolvexadm.exe holds $piece"
done
grep -qaF "] to [" "$build/bin/kolvexadm.exe" && fail "kolvexadm.exe holds the update log's writer"

# A clean installation: the program would be copied, the help file is current.
install "$work/czysta" '[SKLADNIKI]\r\npomoc=prog.hlp,2,Pomoc\r\n'
echo help >"$work/czysta/prog.hlp"; cp -p "$work/czysta/prog.hlp" "$work/czysta/SHARED/prog.hlp"
out=$(adm sprawdz "$(win "$work/czysta")" prog.exe); code=$?
expect clean 0 "$out" $code 'SHARED$' '^  odpowiada' 'porównanie dat, opis .Pomoc.' \
  'zainstalowany: 1\.0\.1\.3, w katalogu wspólnym: 1\.0\.1\.4 . zostanie skopiowany' 'bez zmian\.' 'błędy 0, ostrzeżenia 0'

# A typo in the share's name: every start would run the old program in silence.
install "$work/literowka" "[MAIN]\r\nSHARED_DIR=$(win "$work/literowka/SHARD")\r\n"
out=$(adm sprawdz "$(win "$work/literowka")" prog.exe); code=$?
expect typo 2 "$out" $code 'SHARD$' 'BŁĄD: nie ma takiego katalogu' 'błędy 1, ostrzeżenia 0'

# The section with a Polish letter, an entry with semicolons, a refused one, a file missing on the share.
install "$work/bledy" '[SKŁADNIKI]\r\na=prog.dll\r\n[SKLADNIKI]\r\npomoc=prog.hlp;2;Pomoc programu\r\nzly=..\\x.dll\r\n'
out=$(adm sprawdz "$(win "$work/bledy")"); code=$?
expect mistakes 2 "$out" $code 'nieznana sekcja \[SKŁADNIKI\] jest pomijana \(czy chodziło o \[SKLADNIKI\]\?\)\.$' \
  'pomoc=prog.hlp;2;Pomoc programu zawiera .;.' 'BŁĄD: pozycja pominięta: nazwa wychodzi poza katalog' \
  'UWAGA: brak pliku .*prog.hlp;2;Pomoc programu w katalogu wspólnym' 'nie podano nazwy' 'błędy 1, ostrzeżenia 3'
# Under a signer setting: each share file's signer and verdict, a library named by its content.
install "$work/podpisy" "[MAIN]\r\nSIGNED_BY=$(cat "$build/bin/signed/p1.sha1")\r\n[SKLADNIKI]\r\nlib=prog.dll\r\npomoc=prog.hlp,2\r\n"
cp "$build/bin/signed/v1014_p1.exe" "$work/podpisy/SHARED/prog.dll"; echo help >"$work/podpisy/SHARED/prog.hlp"
# The help file downloaded from the internet: Wine keeps the stream Windows would as a file of its name.
printf '[ZoneTransfer]\r\nZoneId=3\r\n' >"$work/podpisy/SHARED/prog.hlp:Zone.Identifier"
out=$(adm sprawdz "$(win "$work/podpisy")" prog.exe); code=$?
expect signers 2 "$out" $code '^  certyfikatu [0-9A-F]{40}$' 'podpis: CN=Kolvex Test Wydawca, O=Kolvex Test, C=PL, [0-9A-F]{40} . przyjęty\.' \
  'podpis: nie dotyczy' 'BŁĄD: zainstalowany: 1\.0\.1\.3, w katalogu wspólnym: 1\.0\.1\.4 . nie zostanie zainstalowany: brak podpisu\.' \
  '^    podpis: brak\.$' \
  'UWAGA: plik w katalogu wspólnym ma znacznik pobrania z internetu' 'błędy 1, ostrzeżenia 1'
# A tampered and a foreign-signed program: the signature's real state, and one verdict line each.
for f in v1014_p1_changed:nieprawidłowy v1014_p3:inny; do
  cp "$build/bin/signed/${f%%:*}.exe" "$work/podpisy/SHARED/prog.exe"
  out=$(adm sprawdz "$(win "$work/podpisy")" prog.exe); code=$?
  expect "signature ${f#*:}" 2 "$out" $code "^    podpis: .*${f#*:}"
  [ "$(sed -n '/^Program:/,$p' <<<"$out" | grep -c 'zostanie')" = 1 ] || fail "signature ${f#*:}: not one verdict"
done
out=$(adm sprawdz "$(win "$work/nie-ma")"); code=$?
expect missing 3 "$out" $code 'Nie ma katalogu'

# The summary: three versions, a failure, a file that is no report.
reports="$work/raporty"; mkdir -p "$reports"
report() {  # COMPUTER VERSION OUTCOME [FAILURE]
  { printf '\xEF\xBB\xBF[KOLVEX]\r\nKOMPUTER=%s\r\nUZYTKOWNIK=jan\r\nSTART=2026-12-0%s 08:00:00\r\n' "$1" "${#1}"
    printf 'PROGRAM=prog.exe\r\nWYNIK=%s\r\nPLIK=prog.exe | %s\r\n' "$3" "$2"
    [ -z "${4:-}" ] || printf 'BLAD_CZAS=2026-12-07 08:00:00\r\nBLAD=%s\r\n' "$4"; } >"$reports/$1.txt"
}
report STANOWISKO-1 1.0.1.10 aktualny; report STANOWISKO-22 1.0.1.10 zaktualizowany
report SERWER-TS 1.0.1.9 aktualny; report KASA 1.0.1.10 błąd 'Błąd kopiowania pliku: prog.exe <dysk pełny>'
printf 'to nie raport' >"$reports/notatka.txt"
out=$(adm podsumuj "$(win "$reports")"); code=$?
expect summary 0 "$out" $code 'Stanowiska: 4, zgodne z katalogiem wspólnym: 0, starsze: 0, nowsze: 0, katalog wspólny nieodczytany: 0, wersja w katalogu wspólnym nieznana: 4, wymagające uwagi: 1, pliki nieczytelne: 1'
page="$reports/podsumowanie.html"
grep -q '"KASA";"jan";"2026-12-04 08:00:00";"1.0.1.10";"błąd"' "$reports/podsumowanie.csv" || fail "csv: no line for KASA"
browser=$(command -v chromium || true)
if [ -z "$browser" ]; then
  fail "chromium is not installed (scripts/setup.sh installs it)"
else
  dom=$(timeout 60 "$browser" --headless --no-sandbox --disable-gpu --dump-dom "file://$page" 2>/dev/null)
  for text in 'Wymagają uwagi' 'KASA' '&lt;dysk pełny&gt;' 'SERWER-TS' 'notatka.txt'; do
    grep -qF -- "$text" <<<"$dom" || fail "page in the browser: no '$text'"
  done
  mkdir -p "$build/artifacts"
  timeout 60 "$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1000,900 \
    --screenshot="$build/artifacts/summary-page.png" "file://$page" >/dev/null 2>&1
  [ -s "$build/artifacts/summary-page.png" ] || fail "no screenshot of the page"
fi

# The next summary takes the reports unchanged since from podsumowanie.dat, and reads a replaced one again.
touch -d '-1 hour' "$reports"/*.txt; touch "$reports/notatka.txt"  # the newest change: kept only in a later cache
adm podsumuj "$(win "$reports")" >/dev/null
grep -q '^[0-9]* [0-9]* STANOWISKO-22.txt$' "$reports/podsumowanie.dat" || fail "cache: the reports read are not kept"
report SERWER-TS 1.0.1.10 zaktualizowany
out=$(adm podsumuj "$(win "$reports")"); code=$?
expect "summary again" 0 "$out" $code 'Stanowiska: 4, .*nieznana: 4, wymagające uwagi: 1, pliki'
grep -q '"SERWER-TS";"jan";"2026-12-09 08:00:00";"1.0.1.10";"zaktualizowany"' "$reports/podsumowanie.csv" ||
  fail "cache: SERWER-TS not read again"

# A roll-back: the start that took it is up to date; one that may not write the installation, ahead.
rb="$work/wycofanie"; install "$rb" ''; mkdir -p "$rb/raporty"
printf '[MAIN]\r\nREPORT_DIR=%s\r\n' "$(win "$rb/raporty")" >"$rb/baza.set"
cp "$build/bin/Kolvex.exe" "$rb/"
run "$rb/Kolvex.exe" prog.exe; cp "$build/bin/target_v1013.exe" "$rb/SHARED/prog.exe"
rm "$rb/Kolvex.lock"; mkdir "$rb/Kolvex.lock"
run "$rb/Kolvex.exe" prog.exe
own=$(cd "$rb/raporty" && ls); sed 's/^KOMPUTER=.*/KOMPUTER=BEZ-PRAWA/' "$rb/raporty/$own" >"$rb/raporty/BEZ-PRAWA.txt"
rmdir "$rb/Kolvex.lock"; sleep 2; run "$rb/Kolvex.exe" prog.exe
out=$(adm podsumuj "$(win "$rb/raporty")"); code=$?
expect "roll-back" 0 "$out" $code 'Stanowiska: 2, zgodne z katalogiem wspólnym: 1, starsze: 0, nowsze: 1,'
grep -q '^"BEZ-PRAWA";.*"1.0.1.4";"brak prawa zapisu w katalogu instalacji: .*;"1.0.1.3";"nowsza niż w katalogu wspólnym"' \
  "$rb/raporty/podsumowanie.csv" || fail "roll-back: the workstation that did not take it is not ahead"
echo "kolvexadm: $failures failed"
[ "$failures" = 0 ]
