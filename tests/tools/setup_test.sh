#!/bin/bash
# kolvexadm zainstaluj and odinstaluj as a deployment tool runs them, and the
# tools' MSI under Wine's msiexec: a workstation set up from a share (a path
# with spaces and Polish letters) in today's way and in the per-machine way,
# repaired, refused for each reason with nothing half-made, and removed.
# Wine enforces no access lists: the folders' rights are on the README's
# checklist for real Windows.
# Usage: setup_test.sh BUILD_DIR (as root, under a display)
set -uo pipefail
build=$(cd "$1" && pwd)
source "$(dirname "$0")/../support/expect.sh"
# The service's folder checks: no folder above the share's test files writable by everybody.
work=$(mktemp -d "$(protected_parent)/kolvex-setup-test.XXXXXX") id=${work##*.}
drive_c=$build/wineprefix/drive_c menu="$build/wineprefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
today="C:\\Program Files\\Firma Łódź $id" machine="C:\\Program Files\\Kolvex Test $id"
view=$drive_c/widok-$id  # on the installation's own drive, which Wine gives its own volume serial
msi=$(ls "$build"/Kolvex-*.msi) tools="$drive_c/Program Files (x86)/Kolvex"  # a 32-bit package
[ -d "$drive_c/Program Files (x86)" ] || tools="$drive_c/Program Files/Kolvex"
unix() { local p=${1//\\//}; printf '%s' "$drive_c/${p#C:/}"; }
cleanup() { umount -l "$view" 2>/dev/null; rmdir "$view"
  for f in "$today" "$machine" "$(win "$work/nowy")"; do adm odinstaluj "$f" >/dev/null; done
  run msiexec /x "$(win "$work/stary.msi")" /qn; run msiexec /x "$(win "$msi")" /qn; rm -rf "$work" "$(unix "$today")" "$(unix "$machine")"; }
trap cleanup EXIT
share="$work/udział wspólny"
mkdir -p "$share/pomoc" "$view"
cp "$build/bin/demo_app_v1013.exe" "$share/prog.exe"; cp "$build/bin/demo_lib_v1013.dll" "$share/prog.dll"
cp "$build/bin/Kolvex.exe" "$share/"; echo pomoc >"$share/pomoc/prog.hlp"
template='[MAIN]\r\nSHARED_DIR=stary\r\nAKTUALIZACJA=nie\r\nSHARED_TIMEOUT=5\r\n[SKLADNIKI]\r\nlib=prog.dll\r\npomoc=pomoc\\prog.hlp,2\r\n'
printf "$template" >"$share/baza-wzor.set"
setup() { adm zainstaluj "$(win "$share")" "$@"; }
same() { cmp -s "$share/$1" "$(unix "$2")/$1" || fail "$3: $1 is not the share's"; }
# Whether the shortcut NAME starts FOLDER's Kolvex.exe with prog.exe, the program's icon: read back, then started.
shortcut() {
  local lnk="$menu/$1.lnk"; rm -f "$(unix "$2")/target-run.txt"
  python3 -c 'import sys; d=open(sys.argv[1],"rb").read(); sys.exit(any(a.encode("utf-16-le") not in d for a in sys.argv[2:]))' \
    "$lnk" "prog.exe" "$2\\prog.exe" "$1" || fail "$1: the shortcut does not read back"
  run start /wait "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$1.lnk" >/dev/null
  for _ in $(seq 50); do [ -s "$(unix "$2")/target-run.txt" ] && break; sleep 0.1; done
  grep -q "^cmdline=.*prog.exe" "$(unix "$2")/target-run.txt" 2>/dev/null || fail "$1: the shortcut did not start prog.exe"
}

# Today's way, with a desktop shortcut: every file with the share's bytes, baza.set as the template says.
out=$(setup "$today" prog.exe /nazwa "Księgowość $id" /pulpit); code=$?
expect "today's way" 0 "$out" $code '^Skopiowano prog.dll \(1.0.1.3\)' '^Utworzono skrót .*Księgowość' '^Gotowe'
for f in Kolvex.exe prog.exe prog.dll pomoc/prog.hlp; do same $f "$today" "today's way"; done
out=$(run reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s | iconv -f CP852 -t UTF-8)
grep -q "DisplayName.*Księgowość $id" <<<"$out" || fail "no uninstall entry"
grep -q "UninstallString.*kolvexadm.exe.* odinstaluj .*Firma Łódź $id" <<<"$out" || fail "uninstall command"
out=$(iconv -f UTF-16 -t UTF-8 "$(unix "$today")/baza.set" | tr -d '\r')
expect "baza.set" 0 "$out" 0 "^SHARED_DIR=$(win "$share" | sed 's/\\/\\\\/g')\$" '^SHARED_TIMEOUT=5$' '^pomoc=pomoc\\prog.hlp,2$'
grep -q 'AKTUALIZACJA\|stary' <<<"$out" && fail "baza.set keeps the template's share or way"
shortcut "Księgowość $id" "$today"
[ -f "$drive_c/users/Public/Desktop/Księgowość $id.lnk" ] || fail "no desktop shortcut"
grep -q 'Skopiowano prog.exe' "$(unix "$today")/kolvex-instalacja.log" || fail "no log in the folder"

# Again: nothing to do; a file deleted by hand comes back; a newer program an update brought stays.
out=$(setup "$today" prog.exe /nazwa "Księgowość $id" /pulpit); expect "again" 0 "$out" $? '^Nic do zrobienia'
grep -q '^Skopiowano\|^Utworzono\|^Zapisano' <<<"$out" && fail "again: something was made"
rm "$(unix "$today")/pomoc/prog.hlp"; cp "$build/bin/demo_app_v1014.exe" "$(unix "$today")/prog.exe"
out=$(setup "$today" prog.exe /nazwa "Księgowość $id" /pulpit); code=$?
expect repair 0 "$out" $code '^Skopiowano pomoc\\prog.hlp' '^Zostaje prog.exe nowszy .*1.0.1.4' '^Gotowe'
cmp -s "$build/bin/demo_app_v1014.exe" "$(unix "$today")/prog.exe" || fail "repair: the newer program was replaced"

# Refusals, each with its code and nothing made: name | code | what | share | folder | template.
mkdir -p "$work/inny/Program" "$work/podpisany" "$work/niepelny"; touch "$work/inny/Program/inny.exe"
cp "$share/prog.exe" "$work/podpisany/"; printf '[MAIN]\r\nSIGNED_BY=%s\r\n' "$(cat "$build/bin/signed/p1.sha1")" >"$work/podpisany/baza-wzor.set"
cp "$share/prog.exe" "$work/niepelny/"; printf '[SKLADNIKI]\r\nlib=prog.dll\r\n' >"$work/niepelny/baza-wzor.set"
while IFS='|' read -r name code pattern from folder; do
  out=$(adm zainstaluj "$(win "$work/$from")" "$(win "$work/$folder")" prog.exe); expect "$name" "$code" "$out" $? "$pattern"
  [ "$(ls "$work/inny/Program")" = inny.exe ] || fail "$name: the folder was touched"
  [ -e "$work/$folder" ] && [ "$folder" != inny/Program ] && fail "$name: $folder was made"
  ls "$menu" | grep -q '^prog\.lnk$' && fail "$name: a shortcut was made"
done <<'CASES'
share missing|10|^Brak katalogu wspólnego|nie-ma|nowy
file missing|11|prog.dll$|niepelny|nowy
unsigned program|13|^  prog.exe: brak podpisu$|podpisany|nowy
another program|14|jest inny program|udział wspólny|inny/Program
CASES
# A copy that fails (a share's file another program holds): what the run made is taken away.
coproc lock { "$build/wine-run" "$build/bin/locker.exe" "$(win "$share/pomoc/prog.hlp")" 2>/dev/null; }
read -r -n1 -u "${lock[0]}" held
out=$(adm zainstaluj "$(win "$share")" "$(win "$work/nowy")" prog.exe); code=$?
exec {lock[1]}>&-; wait
expect "copy failed" 15 "$out" $code 'pomoc\\prog.hlp' '^Instalacja przerwana'
[ "$held" = 1 ] && [ ! -e "$work/nowy" ] || fail "copy failed: the folder stays"

# Per machine: registered; a start through a read-only view updates through the service.
out=$(setup "$machine" prog.exe /usluga /nazwa "Kolvex Test $id"); code=$?
expect "per machine" 0 "$out" $code '^Zarejestrowano instalację' '^Gotowe'
grep -q '^AKTUALIZACJA=usluga' <(iconv -f UTF-16 -t UTF-8 "$(unix "$machine")/baza.set" | tr -d '\r') || fail "per machine: way"
shortcut "Kolvex Test $id" "$machine"
rm -f "$(unix "$machine")/target-run.txt"; ln -s "$work/run.txt" "$(unix "$machine")/target-run.txt"
cp "$build/bin/demo_app_v1014.exe" "$share/prog.exe"
mount --bind "$(unix "$machine")" "$view" && mount -o remount,bind,ro "$view" || fail "no read-only view (run as root)"
run "$view/Kolvex.exe" prog.exe; sleep 1
cmp -s "$share/prog.exe" "$(unix "$machine")/prog.exe" || fail "per machine: the service did not update prog.exe"
umount -l "$view"
# With the program running, odinstaluj says so and leaves everything.
"$build/wine-run" "$(unix "$machine")/prog.exe" /dlugo </dev/null >/dev/null 2>&1 & running=$!
for _ in $(seq 100); do grep -q dlugo "$work/run.txt" 2>/dev/null && break; sleep 0.1; done
out=$(adm odinstaluj "$machine"); expect "running" 16 "$out" $? 'w użyciu' 'Kolvex Test .*\\prog.exe$'
[ -f "$(unix "$machine")/Kolvex.exe" ] && [ -f "$menu/Kolvex Test $id.lnk" ] || fail "running: something was removed"
kill $running; wait $running 2>/dev/null

# odinstaluj: no file it made, no shortcut, registration or entry; a file of the user's stays, named.
rm -f "$(unix "$today")/target-run.txt" "$(unix "$machine")/target-run.txt"; touch "$(unix "$today")/dane.mdb"
out=$(adm odinstaluj "$today"); expect "removed" 0 "$out" $? 'Pozostawiono .*dane.mdb'
[ "$(ls -A "$(unix "$today")")" = dane.mdb ] || fail "removed: $(ls -A "$(unix "$today")")"
for _ in $(seq 50); do adm odinstaluj "$machine" >"$work/out" && break; sleep 0.2; done
out=$(cat "$work/out"); expect "removed per machine" 0 "$out" $? '^Usunięto rejestrację' '^Usunięto usługę'
[ -e "$(unix "$machine")" ] && fail "removed per machine: the folder stays"
ls "$menu" "$drive_c/users/Public/Desktop" | grep -q "$id" && fail "a shortcut stays"
run reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s | grep -q "$id" && fail "an entry stays"
# The tools' MSI: an older one installed, the build's upgrades it, and is removed.
entries() { run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep -A8 'narzedzia administratora'; }
wxs=$(cd "$(dirname "$0")/../../packaging" && pwd)/kolvex.wxs
(cd "$build" && wixl -D Version=0.9.0 -D BinDir=bin -D GuideDir=package -o "$work/stary.msi" "$wxs") || fail "no older MSI"
run msiexec /i "$(win "$work/stary.msi")" /qn; code=$?; expect "older MSI" 0 "$(entries)" $code 'DisplayVersion.*0\.9\.0'
run msiexec /i "$(win "$msi")" /qn; code=$?; out=$(entries); expect "MSI upgrade" 0 "$out" $code 'DisplayVersion.*1\.'
grep -q '0\.9\.0' <<<"$out" && fail "MSI upgrade: the older version is still installed"
for f in kolvexadm.exe KolvexUsluga.exe Kolvex.exe; do cmp -s "$build/bin/$f" "$tools/$f" || fail "MSI: no $f"; done
[ -s "$tools/Kolvex-instrukcja.txt" ] || fail "MSI: no guide"
run msiexec /x "$(win "$msi")" /qn; expect "MSI removed" 0 "" $?
[ -e "$tools/kolvexadm.exe" ] || [ -n "$(entries)" ] && fail "MSI removed: the tools or the entry stay"
echo "setup: $failures failed"
[ "$failures" = 0 ]
