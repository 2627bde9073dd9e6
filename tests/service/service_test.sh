#!/bin/bash
# The update service under Wine, as administrators and starts meet it:
# registered in the prefix's service manager and started on demand by a
# start; the starts see the installation through a view they cannot write (a
# read-only bind mount, made as root: the same volume and file identity,
# writes refused) while the service updates it through its registered path;
# what it refuses (a folder not registered, a look-alike copy, a link inside,
# bad requests) while it goes on serving; a stopped service, and a pipe of its
# name made by another program first, which nobody talks to. Wine enforces no
# access lists: those are in the README's checklist for real Windows.
# Usage: service_test.sh BUILD_DIR (as root, under a display)
set -uo pipefail
build=$(cd "$1" && pwd)
source "$(dirname "$0")/../support/expect.sh"
# The folders above an installation the service writes may not be writable by everybody.
work=$(mktemp -d "$(protected_parent)/kolvex-service-test.XXXXXX")
inst=$work/inst view=$work/widok
cleanup() { umount -l "$view" "$work/wolny/share" "$work/fuse/share" 2>/dev/null; for i in "$work/wolny/inst" "$inst"; do
  adm usluga usun "$(win "$i")" >/dev/null; done; [ -z "${fuse:-}" ] || kill -KILL "$fuse" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
probe() { run "$build/bin/pipe_probe.exe" "$@"; }
frame() { printf "$(printf '\\x%02x\\x%02x\\x00\\x00' $(($1 & 255)) $(($1 >> 8)))"; }  # a length, as the pipe's frames begin

# The program and its library at 1.0.1.3, the share at 1.0.1.4; what the
# program records goes out of the view, which nobody may write.
mkdir -p "$inst/pomoc" "$work/share/pomoc" "$work/gdzie-indziej" "$work/raporty" "$view"
cp "$build/bin/demo_app_v1013.exe" "$inst/prog.exe"; cp "$build/bin/demo_app_v1014.exe" "$work/share/prog.exe"
cp "$build/bin/demo_lib_v1013.dll" "$inst/prog.dll"; cp "$build/bin/demo_lib_v1014.dll" "$work/share/prog.dll"
cp "$build/bin/Kolvex.exe" "$inst/"; ln -s "$work/target-run.txt" "$inst/target-run.txt"
echo pomoc >"$inst/pomoc/prog.hlp"; cp -p "$inst/pomoc/prog.hlp" "$work/share/pomoc/"
printf '[MAIN]\r\nSHARED_DIR=%s\r\nREPORT_DIR=%s\r\nAKTUALIZACJA=usluga\r\n[SKLADNIKI]\r\nlib=prog.dll\r\npomoc=pomoc\\prog.hlp,2\r\n' \
  "$(win "$work/share")" "$(win "$work/raporty")" >"$inst/baza.set"
mount --bind "$inst" "$view" && mount -o remount,bind,ro "$view" || fail "no read-only view (run as root)"
# A start through the view; one that waits for a user (an error box) fails within a minute.
start() { timeout 60 "$build/wine-run" "$view/Kolvex.exe" prog.exe "$@" </dev/null >/dev/null 2>&1; }
report() { cat "$work/raporty/"*.txt 2>/dev/null | tr -d '\r'; }  # the one computer's
runs() { cat "$work/target-run.txt" 2>/dev/null | grep -c '^cmdline='; }
# Waits until the program has recorded more than N starts.
started_after() { for _ in $(seq 100); do [ "$(runs)" -gt "$1" ] && return 0; sleep 0.1; done; return 1; }

# Windows XP (as Wine tells kolvexadm): registering refuses, saying why.
run reg add 'HKCU\Software\Wine\AppDefaults\kolvexadm.exe' /v Version /d winxp /f >/dev/null
out=$(adm usluga zainstaluj "$(win "$inst")"); expect "on XP" 2 "$out" $? 'wymaga systemu Windows Vista lub nowszego'
run reg delete 'HKCU\Software\Wine\AppDefaults\kolvexadm.exe' /f >/dev/null

# The service's program is taken only as built with kolvexadm, and only from
# a folder nobody but administrators may change: a package anyone may write
# in, or a program other than its own, installs nothing.
package() {  # DIR: kolvexadm run from there, registering the installation
  "$build/wine-run" "$1/kolvexadm.exe" usluga zainstaluj "$(win "$inst")" </dev/null 2>/dev/null | iconv -f $oem -t UTF-8 |
    tr -d '\r'; return "${PIPESTATUS[0]}"
}
for p in pakiet pakiet-zmieniony; do mkdir "$work/$p"; cp "$build/bin/"{kolvexadm,KolvexUsluga}.exe "$work/$p/"; done
chmod o+w "$work/pakiet"; printf x >>"$work/pakiet-zmieniony/KolvexUsluga.exe"
out=$(package "$work/pakiet"); expect "package anyone may change" 2 "$out" $? 'folder .*pakiet może zmieniać'
out=$(package "$work/pakiet-zmieniony"); expect "another service program" 2 "$out" $? \
  'KolvexUsluga.exe nie jest programem usługi z pakietu tego kolvexadm.exe'
run sc query KolvexUsluga >/dev/null && fail "a refused package installed the service"

out=$(adm usluga zainstaluj "$(win "$inst")"); code=$?
expect register 0 "$out" $code '^Zarejestrowano instalację' 'Usługa czyta katalog wspólny .*share \(plików: 2\)'

# Four starts at once, the program open with its library meanwhile, the
# service stopped: it is started on demand and updates once; the running
# files are moved aside; every start reaches the program.
"$build/wine-run" "$view/prog.exe" /dlugo </dev/null >/dev/null 2>&1 & open=$!
started_after 0
run sc stop KolvexUsluga >/dev/null
starts=(); for i in 1 2 3 4; do start /$i & starts+=($!); done; wait "${starts[@]}"
out=$(run sc query KolvexUsluga); expect "started on demand" 0 "$out" 0 'RUNNING'
kill $open; wait $open 2>/dev/null
started_after 4; out=$(tr -d '\r' <"$work/target-run.txt")
[ "$(grep -c 'version=1.0.1.4' <<<"$out")" = 4 ] || { fail "four starts: not four of the new version"; echo "$out"; report; }
out=$(tr -d '\r' <"$inst/_updatefiles.LOG"); expect "one update" 0 "$out" 0 'prog.dll from \[1.0.1.3\] to \[1.0.1.4\]'
[ "$(wc -l <"$inst/_updatefiles.LOG")" = 2 ] || fail "the update log has other than two lines"
cmp -s "$inst/prog.exe" "$work/share/prog.exe" && cmp -s "$inst/prog.exeOLD" "$build/bin/demo_app_v1013.exe" ||
  fail "prog.exe not updated with its backup"
ls "$inst" | grep -qE '^~prog\.(exe|dll)\.[0-9]+\.kolvex-old$' || fail "nothing running was moved aside"
out=$(report); expect report 0 "$out" 0 '^WYNIK=(zaktualizowany|aktualny)$' '^PLIK=prog.exe \| 1.0.1.4$'

# The service copying for seconds over a slow line (the FUSE share the
# stalling share's tests use, each read 0.2 s): the start's "Aktualizacja"
# window answers a ping every 200 ms, each within a second, until it goes.
slow=$work/wolny
mkdir -p "$slow/share-backing/linia" "$slow/share" "$slow/inst"
/usr/bin/python3 "$(dirname "$0")/../e2e/stalling_share.py" "$slow/share-backing" "$slow/share" 2>"$slow/fuse.log" &
fuse=$!
for _ in $(seq 100); do mountpoint -q "$slow/share" && break; sleep 0.1; done
mountpoint -q "$slow/share" || fail "slow share: the FUSE share did not mount (root, /dev/fuse, python3-fusepy)"
cp "$build/bin/Kolvex.exe" "$slow/inst/"; cp "$build/bin/target_v1013.exe" "$slow/inst/prog.exe"
{ cat "$build/bin/target_v1014.exe"; head -c 12M /dev/urandom; } >"$slow/share-backing/linia/prog.exe"
printf '[MAIN]\r\nSHARED_DIR=%s\r\nAKTUALIZACJA=usluga\r\n' "$(win "$slow/share/linia")" >"$slow/inst/baza.set"
out=$(adm usluga zainstaluj "$(win "$slow/inst")"); expect "slow share: register" 0 "$out" $?
echo 0.2 >"$slow/share-backing/linia/slow"
run "$slow/inst/Kolvex.exe" prog.exe & slowstart=$!
out=$(run "$build/bin/robot.exe" ping Aktualizacja --timeout 20000)
expect "slow share: pings" 0 "$out" $? '^answered=([1-9][0-9]+) unanswered=0$'
wait $slowstart
cmp -s "$slow/inst/prog.exe" "$slow/share-backing/linia/prog.exe" || fail "slow share: prog.exe not updated"
adm usluga usun "$(win "$slow/inst")" >/dev/null
fusermount -u -z "$slow/share"; kill -KILL $fuse; wait $fuse 2>/dev/null

out=$(adm sprawdz "$(win "$inst")" prog.exe); code=$?
expect check 0 "$out" $code '^Usługa aktualizacji \(AKTUALIZACJA=usluga\):$' '^  Usługa czyta katalog wspólny'

# A release in stages: outside its stage the computer is not updated by the
# service either (here an older version published again); its start runs
# the program it has and its report says it waits.
cp "$build/bin/demo_app_v1013.exe" "$work/share/prog.exe"
printf '[WYDANIE]\r\nWERSJA=1.0.1.3\r\nLIMIT_BLEDOW=1\r\nETAP=2099-01-01 08:00, 100\r\n' >"$work/share/wydanie.set"
before=$(runs); start; out=$(report)
expect "release, waiting" 0 "$out" 0 '^WYDANIE=1.0.1.3: czeka na swój etap' '^PLIK=prog.exe \| 1.0.1.4$'
started_after "$before" || fail "release, waiting: the program did not start"
# Taken (as a pilot, here 1.0.1.3 again), then halted with roll-back: the
# service puts back the backup it kept, logged as a roll-back, and the start
# runs the program it had.
rel='[WYDANIE]\r\nWERSJA=1.0.1.3\r\nLIMIT_BLEDOW=1\r\nPILOT=*\r\nWYCOFANIE=tak\r\n'
printf "$rel" >"$work/share/wydanie.set"; start; out=$(report)
expect "release, taken" 0 "$out" 0 '^WYDANIE=1.0.1.3: przyjęte \(pilotaż' '^PLIK=prog.exe \| 1.0.1.3$'
printf "${rel}WSTRZYMANE=tak\r\n" >"$work/share/wydanie.set"; sleep 6  # the program started last has ended
before=$(runs); start; out=$(report)
expect "release, rolled back" 0 "$out" 0 '^WYDANIE=1.0.1.3: wycofane przez administratora' '^PLIK=prog.exe \| 1.0.1.4$'
started_after "$before" && tail -3 "$work/target-run.txt" | grep -q 'version=1.0.1.4' || fail "rolled back: not the old program"
grep -q 'wycofanie wersji 1.0.1.3' "$inst/_updatefiles.LOG" || fail "rolled back: not in the update log"
rm "$work/share/wydanie.set"; cp "$build/bin/demo_app_v1014.exe" "$work/share/prog.exe"
# Only what the administrator installed or listed: names under a plain folder
# of the share and through a link on it bring nothing in; with no program of
# that name, the start says why and ends with exit code 1.
mkdir "$work/share/dane" "$work/tajne"; echo x >"$work/share/dane/notatka.txt"; echo x >"$work/tajne/hasla.txt"
ln -s "$work/tajne" "$work/share/lacze"
for name in 'dane\notatka.txt' 'lacze\hasla.txt'; do
  "$build/wine-run" "$view/Kolvex.exe" "$name" </dev/null >/dev/null 2>&1 & launcher=$!
  for title in Błąd 'Application Error'; do run "$build/bin/robot.exe" press "$title" OK --timeout 20000 >/dev/null; done
  wait $launcher; code=$?; out=$(report)
  expect "$name" 1 "$out" $code "nie jest zainstalowany w folderze .*inst ani wymieniony w sekcji \[SKLADNIKI\]"
done
[ -e "$inst/dane" ] || [ -e "$inst/lacze" ] && fail "a name never installed came into the installation"
out=$(adm sprawdz "$(win "$inst")" 'dane\notatka.txt'); expect "sprawdz, never installed" 2 "$out" $? \
  'BŁĄD: program dane\\notatka.txt nie jest zainstalowany'
rm -r "$work/share/dane" "$work/share/lacze"
# No link below the shared directory: a listed file's folder linked elsewhere
# on the share is not read; the installed program starts.
mv "$work/share/pomoc" "$work/share/pomoc-x"; ln -s "$work/share/pomoc-x" "$work/share/pomoc"
before=$(runs); start; out=$(report)
expect "link on the share" 0 "$out" 0 '^POWOD=w katalogu wspólnym .*share\\pomoc jest łączem'
started_after "$before" || fail "link on the share: the program did not start"
rm "$work/share/pomoc"; mv "$work/share/pomoc-x" "$work/share/pomoc"
# A shared directory on this computer that everybody may change, and a
# baza.set that everybody may change: neither is trusted.
chmod o+w "$work/share"; out=$(adm sprawdz "$(win "$inst")"); code=$?; chmod o-w "$work/share"
expect "share everybody may change" 2 "$out" $code 'BŁĄD: katalog wspólny jest folderem tego komputera: folder .*share może zmieniać'
chmod o+w "$inst/baza.set"; out=$(adm sprawdz "$(win "$inst")"); code=$?; chmod o-w "$inst/baza.set"
expect "baza.set everybody may change" 2 "$out" $code 'BŁĄD: plik .*baza.set może zmieniać'

# A held file stops nobody: the program held open by a viewer (no delete
# sharing) waits, and the log held by a reader is only reported; a later
# start completes the update (here a return to the older version).
cp "$build/bin/demo_app_v1013.exe" "$work/share/prog.exe"
mkfifo "$work/h1" "$work/h2"
"$build/wine-run" "$build/bin/locker.exe" "$(win "$inst/prog.exe")" read <"$work/h1" >"$work/h1.out" 2>/dev/null &
exec 7>"$work/h1"
"$build/wine-run" "$build/bin/locker.exe" "$(win "$inst/_updatefiles.LOG")" <"$work/h2" >"$work/h2.out" 2>/dev/null &
exec 8>"$work/h2"
for _ in $(seq 100); do [ "$(cat "$work/h1.out" "$work/h2.out")" = 11 ] && break; sleep 0.1; done
before=$(runs); start; out=$(report)
expect "held program and log" 0 "$out" 0 '^CZEKA=prog.exe$' '^POWOD=nie zapisano dziennika aktualizacji: '
started_after "$before" && tr -d '\r' <"$work/target-run.txt" | grep version= | tail -1 | grep -q '=1.0.1.4$' ||
  fail "held: not the installed program"
exec 7>&- 8>&-; wait
start; out=$(report); expect "no longer held" 0 "$out" 0 '^WYNIK=zaktualizowany$' '^PLIK=prog.exe \| 1.0.1.3$'

# A look-alike copy is not the registered installation: its start runs the
# program it has, and the report and sprawdz say why.
cp -a "$inst" "$work/kopia"; cp "$build/bin/target_v1013.exe" "$work/kopia/prog.exe"
out=$(adm sprawdz "$(win "$work/kopia")"); code=$?
expect look-alike 2 "$out" $code 'BŁĄD: ta instalacja nie jest zarejestrowana'
run "$work/kopia/Kolvex.exe" prog.exe; out=$(report)
expect "look-alike start" 0 "$out" 0 '^WYNIK=usługa aktualizacji nie zaktualizowała instalacji$' \
  '^POWOD=ta instalacja nie jest zarejestrowana' '^PLIK=prog.exe \| 1.0.1.3$'

mv "$inst/pomoc" "$work/pomoc-przeniesiona"; ln -s "$work/gdzie-indziej" "$inst/pomoc"
out=$(adm sprawdz "$(win "$inst")"); code=$?
expect link 2 "$out" $code 'BŁĄD: folder .*inst\\pomoc jest łączem'
rm "$inst/pomoc"; mv "$work/pomoc-przeniesiona" "$inst/pomoc"

# The registered path holding another folder now (the installation moved
# away, a copy put in its place): its identity is not the registered one.
mv "$inst" "$inst.stary"; cp -a "$inst.stary" "$inst"
out=$(adm sprawdz "$(win "$view")"); expect replaced 2 "$out" $? 'BŁĄD: folder .*inst nie jest tym folderem, który zarejestrowano'
rm -rf "$inst"; mv "$inst.stary" "$inst"

# Bad requests, one connection each: garbage, too long, never finished, cut short.
{ frame 7; printf 'śmieci'; } >"$work/garbage"; frame 4096 >"$work/long"; { frame 40; printf 'KVQ\x01\x01'; } >"$work/half"
out=$(probe send "$(win "$work/garbage")"); expect garbage 0 "$out" $? '^Refused: nieprawidłowe żądanie$'
out=$(probe send "$(win "$work/long")"); expect too-long 0 "$out" $? '^Refused: żądanie jest dłuższe'
out=$(probe send "$(win "$work/half")"); expect stalled 0 "$out" $? '^Refused: żądanie nie nadeszło w całości w ciągu 2 s$'
probe send "$(win "$work/half")" close
out=$(adm sprawdz "$(win "$inst")"); expect "still serving" 0 "$out" $? '^  Usługa czyta katalog wspólny'

# Everybody may change the top of an installation's path (the prefix's C:\): refused.
top=$build/wineprefix/drive_c; mkdir "$top/kolvex-szczyt"; chmod o+w "$top"
out=$(adm usluga zainstaluj 'C:\kolvex-szczyt'); code=$?
[ $code = 2 ] || adm usluga usun 'C:\kolvex-szczyt' >/dev/null; chmod o-w "$top"; rmdir "$top/kolvex-szczyt"
expect "writable root" 2 "$out" $code '^Nie zarejestrowano instalacji .*: folder C:\\ może zmieniać'

# The service's process (Linux's id) in this build's prefix.
service_pid() { for p in $(pgrep -f 'KolvexUsluga\.exe'); do
  grep -qz "^WINEPREFIX=$build/wineprefix\$" /proc/$p/environ 2>/dev/null && echo $p; done; }
threads() { awk '/^Threads:/ { print $2 }' /proc/$1/status 2>/dev/null || echo 0; }

# The share as a server that answers slowly or stops answering, read by the
# service (tests/e2e/stalling_share.py): a program of 4 MB more, in 128 KB reads.
[ -c /dev/fuse ] && /usr/bin/python3 -c 'import fusepy' 2>/dev/null || fail "no FUSE share (bash scripts/setup.sh)"
mkdir -p "$work/fuse/backing/s/share" "$work/fuse/share"
/usr/bin/python3 "$(dirname "$0")/../e2e/stalling_share.py" "$work/fuse/backing" "$work/fuse/share" 2>"$work/fuse.log" &
fuse=$!; disown $fuse  # no job of this shell's: a wait for its jobs must not wait for the share
for _ in $(seq 100); do mountpoint -q "$work/fuse/share" && break; sleep 0.1; done
slow=$work/fuse/backing/s/slow
cp "$build/bin/demo_app_v1014.exe" "$work/fuse/backing/s/share/prog.exe"
head -c $((4 << 20)) /dev/zero >>"$work/fuse/backing/s/share/prog.exe"
behind() { cp "$build/bin/demo_app_v1013.exe" "$inst/prog.exe"; rm -f "$work/raporty/"*; }
cp "$inst/baza.set" "$work/baza.set.wspolny"
printf '[MAIN]\r\nSHARED_DIR=%s\r\nREPORT_DIR=%s\r\nAKTUALIZACJA=usluga\r\nSHARED_TIMEOUT=%s\r\n' \
  "$(win "$work/fuse/share/s/share")" "$(win "$work/raporty")" 3 >"$inst/baza.set"

# A client that asks and goes away, sixty times, each for a program of its
# own, while two starts wait for a slow copy: its work counts for
# its session until it ends, and only one of its requests waits for the
# installation's turn, so the service's threads stay few; the starts are
# served, and the service goes on.
behind; echo 0.1 >"$slow"
pid=$(service_pid); most=$(threads $pid)
# Both starts share the one update before the flood begins: Wine has one
# session, and the flood's waiting request is that session's one.
start /zalew & s1=$!; sleep 1; start /zalew & s2=$!; sleep 3
probe flood "$(win "$view")" 60 >"$work/flood" &
for _ in $(seq 600); do
  kill -0 $s1 2>/dev/null || kill -0 $s2 2>/dev/null || break
  n=$(threads $pid); [ "$n" -gt "$most" ] && most=$n; sleep 0.1
done
kill -0 $s1 2>/dev/null || kill -0 $s2 2>/dev/null && fail "starts beside a flood: not served within a minute"
wait
out=$(report); expect "starts beside a flood" 0 "$out" 0 '^WYNIK=(zaktualizowany|aktualny)$' '^PLIK=prog.exe \| 1.0.1.4$'
grep -q 'wyslano=60' "$work/flood" || fail "the flood did not send sixty requests: $(cat "$work/flood")"
[ "$most" -le 30 ] || fail "the service ran $most threads during the flood"
[ "$(service_pid)" = "$pid" ] || fail "the service did not survive the flood"
rm -f "$slow"

# The share stops answering in the middle of the service's copy (the first
# MB comes, the rest no sooner than in 6 s, the time-box 3 s): the start ends
# within the time-box and a few seconds, the installed program whole, and
# the stuck copy removes its half once the share answers again.
behind; echo 6 $((1 << 20)) >"$slow-from"
before=$(runs); began=$(date +%s%N)
start & s1=$!
run "$build/bin/robot.exe" press Uwaga OK --timeout 20000 >/dev/null || fail "share stopped: no warning"
elapsed=$((($(date +%s%N) - began) / 1000000)); wait $s1
[ "$elapsed" -le 10000 ] || fail "share stopped: the start took $elapsed ms"
started_after "$before" || fail "share stopped: the program did not start"
cmp -s "$inst/prog.exe" "$build/bin/demo_app_v1013.exe" || fail "share stopped: prog.exe is not whole"
out=$(report); expect "share stopped" 0 "$out" 0 '^WYNIK=katalog wspólny przestał odpowiadać$'
rm -f "$slow-from"
for _ in $(seq 150); do ls "$inst" | grep -q kolvex-tmp || break; sleep 0.1; done
ls "$inst" | grep -q kolvex-tmp && fail "share stopped: the half copy stayed"

# The service killed in the middle of a copy: the installed program stays
# whole; once the service manager has seen it end, the next start completes
# the update and leaves nothing behind.
behind; echo 0.2 >"$slow"
start & s1=$!
for _ in $(seq 200); do ls "$inst" | grep -q kolvex-tmp && break; sleep 0.1; done
ls "$inst" | grep -q kolvex-tmp || fail "killed: no copy under way"
kill -KILL "$(service_pid)"; wait $s1
cmp -s "$inst/prog.exe" "$build/bin/demo_app_v1013.exe" || fail "killed: prog.exe is not whole"
rm -f "$slow"
# Wine's service manager may go on taking a killed service for a running one
# (Windows' sees the process end): Wine is restarted then, as the computer
# would be, its server and the desktop detached as scripts/wine-ctest.sh has
# them; the service starts with it.
for _ in $(seq 25); do run sc query KolvexUsluga | grep -q STOPPED && break; sleep 0.2; done
if ! run sc query KolvexUsluga | grep -q STOPPED; then
  export WINEPREFIX=$build/wineprefix
  wineserver -k; wineserver -w
  setsid wineserver -p </dev/null >/dev/null 2>&1
  [ -f "$build/bin/desktop_keeper.exe" ] && { setsid "$build/wine-run" "$build/bin/desktop_keeper.exe" </dev/null >/dev/null 2>&1 & }
fi
start; out=$(report)
expect "after the kill" 0 "$out" 0 '^WYNIK=zaktualizowany$' '^PLIK=prog.exe \| 1.0.1.4$'
ls "$inst" | grep -q kolvex-tmp && fail "killed: left behind: $(ls "$inst")"
cp "$work/baza.set.wspolny" "$inst/baza.set"

# A service that does not answer (stopped in its tracks): the start waits
# the share's time-box, then starts the installed program; the report says why.
service=$(service_pid)
kill -STOP $service
before=$(runs); began=$(date +%s)
start; out=$(report)
expect "service silent" 0 "$out" 0 '^WYNIK=usługa aktualizacji nie zaktualizowała instalacji$' \
  '^POWOD=usługa aktualizacji nie odpowiada$'
started_after "$before" || fail "service silent: the program did not start"
[ $(($(date +%s) - began)) -le 8 ] || fail "service silent: the start waited past the time-box"
kill -CONT $service

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
run reg query 'HKLM\SOFTWARE\Kolvex\Usluga' >/dev/null && fail "the registrations' empty key is left"
out=$(adm usluga usun "$(win "$inst")"); expect "unregister again" 4 "$out" $? 'nie jest zarejestrowana'
# A service of that name that is not the update service, and another
# program's pipe: the start talks to a pipe only when its server is the
# service's own process.
run sc create KolvexUsluga binPath= "$(win "$build/bin/pipe_probe.exe") service" >/dev/null
timeout 20 "$build/wine-run" "$build/bin/pipe_probe.exe" squat >"$work/squatter" 2>/dev/null </dev/null &
for _ in $(seq 100); do grep -q gotowy "$work/squatter" && break; sleep 0.1; done
before=$(runs); start; out=$(report)
expect "foreign pipe" 0 "$out" 0 '^POWOD=potok usługi aktualizacji zajął inny program$'
started_after "$before" || fail "foreign pipe: the program did not start"
kill %1 2>/dev/null; wait
grep -q 'bajty=[1-9]' "$work/squatter" && fail "the foreign pipe was sent a request"
run sc stop KolvexUsluga >/dev/null; run sc delete KolvexUsluga >/dev/null

# No service at all: the installed program starts, and the report and sprawdz give the system's reason.
before=$(runs); start; out=$(report)
started_after "$before" || fail "no service: the program did not start"
expect "no service" 0 "$out" 0 '^WYNIK=usługa aktualizacji nie zaktualizowała instalacji$' '^POWOD=.+'
cp "$build/bin/demo_lib_v1013.dll" "$inst/prog.dll"  # behind the share, and nothing will copy it
out=$(adm sprawdz "$(win "$view")"); expect "sprawdz, no service" 2 "$out" $? 'BŁĄD: .*[^.]: uruchomienia nie będą' \
  '1\.0\.1\.3, w katalogu wspólnym: 1\.0\.1\.4 . nie zostanie skopiowany: usługa'
grep -q 'zostanie skopiowany\.' <<<"$out" && fail "sprawdz, no service: a file said to be copied"
# A share on a letter this process does not see (on Windows a user's mapped drive): refused, UNC asked for.
adm usluga zainstaluj "$(win "$inst")" >/dev/null  # with its share, then given the letter: the service refuses
printf '[MAIN]\r\nSHARED_DIR=P:\\programy\r\nREPORT_DIR=%s\r\nAKTUALIZACJA=usluga\r\n' "$(win "$work/raporty")" >"$inst/baza.set"
before=$(runs); start; out=$(report)
started_after "$before" || fail "mapped drive: the program did not start"
expect "mapped drive, the service" 0 "$out" 0 '^POWOD=.*SHARED_DIR=P:.programy: dysku P: nie ma.*podaj ścieżkę UNC'
out=$(adm usluga zainstaluj "$(win "$inst")"); expect "mapped drive, registering" 2 "$out" $? 'dysku P: nie ma.*podaj ścieżkę UNC'
out=$(adm sprawdz "$(win "$inst")"); expect "mapped drive, sprawdz" 2 "$out" $? 'BŁĄD: SHARED_DIR=P:.programy: dysku P: nie ma'
echo "service: $failures failed"
[ "$failures" = 0 ]
