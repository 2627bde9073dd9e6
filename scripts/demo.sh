#!/bin/bash
# The main job: builds Kolvex.exe, lays out a demo installation (the
# application and its library at version 1.0.1.3 and its help file, newer
# copies of all three in the shared directory named in baza.set, the library
# and the help listed in [SKLADNIKI]), runs the launcher on it under Wine, and
# shows what happened: the files before and after, the update log, the command
# line the application received, and screenshots of the windows shown, the
# progress window among them. Then a start while another copy of the
# program runs (another user's, on a terminal server): the running file is
# moved aside, the new version installed and started, and the old copy runs
# on; a later start removes what was moved aside. Then a start while the
# program is held open by another program: the failure as the user sees it.
# Last, what the administrator sees: the start report, the summary page of
# the report folder in a browser, and the check of the installation.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ -z "${KOLVEX_DEMO_INNER:-}" ]; then
  echo "== Installing what is missing"
  bash scripts/setup.sh
  if [ -z "${DISPLAY:-}" ]; then
    # No display: the same script again inside a virtual one.
    KOLVEX_DEMO_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
  fi
fi

echo "== Building Kolvex.exe and the demo application"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Kolvex demo_app_v1013 demo_app_v1014 demo_lib_v1013 demo_lib_v1014 locker robot kolvexadm -- --no-print-directory >/dev/null
bin=$root/build/win32/bin

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/app" "$demo/serwer/program" "$demo/shots"
cp "$bin/Kolvex.exe" "$demo/app/"
cp "$bin/demo_app_v1013.exe" "$demo/app/prog.exe"
cp "$bin/demo_app_v1014.exe" "$demo/serwer/program/prog.exe"
cp "$bin/demo_lib_v1013.dll" "$demo/app/prog.dll"
cp "$bin/demo_lib_v1014.dll" "$demo/serwer/program/prog.dll"
printf 'Pomoc programu, wydanie 1\r\n' >"$demo/app/prog.hlp"
printf 'Pomoc programu, wydanie 2\r\n' >"$demo/serwer/program/prog.hlp"
touch -d '2026-01-05 08:00' "$demo/app/prog.hlp"
touch -d '2026-03-02 08:00' "$demo/serwer/program/prog.hlp"
shared_win="Z:$(echo "$demo/serwer/program" | tr / '\\')"
mkdir -p "$demo/serwer/raporty"
reports_win="Z:$(echo "$demo/serwer/raporty" | tr / '\\')"
printf '[MAIN]\r\nSHARED_DIR=%s\r\nREPORT_DIR=%s\r\n\r\n[SKLADNIKI]\r\nbiblioteka=prog.dll\r\npomoc=prog.hlp,2,Pomoc programu\r\n' \
  "$shared_win" "$reports_win" >"$demo/app/baza.set"

export WINEPREFIX=$root/build/win32/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=pl_PL.UTF-8
bash cmake/wine-prefix.sh "$WINEPREFIX"

# The file version of a program, read from its fixed version record.
file_version() {
  python3 -c '
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(b"\xbd\x04\xef\xfe")
if at < 0: print("no version information"); sys.exit()
ms, ls = struct.unpack_from("<II", data, at + 8)
print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")' "$1"
}

robot() { wine "$bin/robot.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

listing() {
  (cd "$demo" && find app serwer -type f -printf '  %-32p %9s bytes  %TY-%Tm-%Td %TH:%TM\n' | sort)
  for f in app/prog.exe app/prog.exeOLD serwer/program/prog.exe app/prog.dll app/prog.dllOLD serwer/program/prog.dll; do
    [ -f "$demo/$f" ] && printf '  %-32s version %s\n' "$f" "$(file_version "$demo/$f")"
  done
  return 0
}

echo
echo "== The installation before the start"
listing
echo "  baza.set:"; sed 's/^/    /' "$demo/app/baza.set"

run_demo() {
  wineserver -p </dev/null >/dev/null 2>&1 || true
  cd "$demo/app"
  echo
  echo "== Starting: Kolvex.exe prog.exe /a \"b c\""
  local start=$SECONDS
  wine Kolvex.exe prog.exe /a "b c" </dev/null >/dev/null 2>&1 &
  local pid=$!
  local shot=0
  # The progress window by itself, while it names a component.
  robot shot --timeout 10000 Aktualizacja "$demo/shots/progress.bmp" >/dev/null &
  # Screenshots while anything is on screen: the launcher's own windows, then
  # the application it started.
  for _ in $(seq 1 40); do
    sleep 0.5
    if xdotool search --onlyvisible --name '.' >/dev/null 2>&1; then
      shot=$((shot + 1))
      import -window root "$demo/shots/screen-$shot.png" 2>/dev/null || true
    fi
    if ! kill -0 $pid 2>/dev/null && [ -f target-run.txt ] && [ $shot -ge 2 ]; then break; fi
  done
  wait $pid && rc=0 || rc=$?
  wait
  echo "  Kolvex.exe exited with code $rc after $((SECONDS - start)) s"
  sleep 1
  wineserver -k </dev/null >/dev/null 2>&1 || true
}

run_demo

echo
echo "== The installation after the start"
listing
log=$demo/app/_updatefiles.LOG
echo
if [ -f "$log" ]; then
  echo "== The update log (_updatefiles.LOG, bytes as written; CR LF shown as \\r\\n)"
  sed 's/\r$/\\r\\n/' "$log" | sed 's/^/  /'
else
  echo "== No update log: nothing was updated"
fi
echo
echo "== What the application recorded (target-run.txt)"
sed 's/\r$//; s/^/  /' "$demo/app/target-run.txt" 2>/dev/null || echo "  (the application was not started)"
echo
shots=$(ls "$demo/shots"/*.png 2>/dev/null | wc -l)
if [ "$shots" -gt 0 ]; then
  last=$(ls "$demo/shots"/*.png | sort -V | tail -1)
  cp "$last" "$demo/started-application.png"
  echo "== Screenshots: $shots in $demo/shots; the started application: $demo/started-application.png"
  if [ -f "$demo/shots/progress.bmp" ]; then
    convert "$demo/shots/progress.bmp" "$demo/progress-window.png" && rm -f "$demo/shots/progress.bmp"
    echo "   the progress window: $demo/progress-window.png"
  fi
else
  echo "== No window was shown"
fi

# A start while another copy of the program, still at 1.0.1.3, runs with its
# library loaded: both are moved aside, the new versions installed and
# started, and the running copy goes on. A later start, once that copy has
# ended, removes the files moved aside.
run_running_demo() {
  cd "$demo/app"
  rm -f target-run.txt
  cp "$bin/demo_app_v1013.exe" prog.exe
  cp "$bin/demo_lib_v1013.dll" prog.dll
  echo
  echo "== Second start, while another copy of prog.exe 1.0.1.3 runs (another user's)"
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine prog.exe </dev/null >/dev/null 2>&1 &
  local other=$!
  for _ in $(seq 1 40); do [ -f target-run.txt ] && break; sleep 0.25; done
  wine Kolvex.exe prog.exe /a "b c" </dev/null >/dev/null 2>&1 && rc=0 || rc=$?
  echo "  Kolvex.exe exited with code $rc"
  for _ in $(seq 1 40); do [ "$(grep -c '^version=' target-run.txt 2>/dev/null)" -ge 2 ] && break; sleep 0.25; done
  sleep 0.5
  # Both windows open at the same place: the old copy's goes below the new one's.
  xdotool search --name 'Program demonstracyjny 1\.0\.1\.3' windowmove 120 420 >/dev/null 2>&1 || true
  sleep 0.3
  import -window root "$demo/running-copy-updated.png" 2>/dev/null || true
  echo "  the other copy still runs: $(kill -0 $other 2>/dev/null && echo yes || echo no)"
  echo "  versions started (target-run.txt): $(grep '^version=' target-run.txt | tr -d '\r' | cut -d= -f2 | tr '\n' ' ')"
  echo "  files moved aside:"; ls "$demo/app" | grep 'kolvex-old$' | sed 's/^/    /'
  echo "  the log's last lines:"; tail -n 2 _updatefiles.LOG | sed 's/\r$//; s/^/    /'
  echo "  both windows: $demo/running-copy-updated.png"
  wait
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine Kolvex.exe prog.exe </dev/null >/dev/null 2>&1 || true
  sleep 1
  echo "  after the other copy ended, a third start left moved-aside files: $(ls "$demo/app" | grep -c 'kolvex-old$' || true)"
  wineserver -k </dev/null >/dev/null 2>&1 || true
}

run_running_demo

# A start on a workstation still at 1.0.1.3 whose program another program
# holds open without delete sharing (a backup tool, a scanner, an editor):
# the file cannot be moved aside either, so the launcher says what went wrong
# and stops with exit code 1, and nothing is lost.
run_failure_demo() {
  cd "$demo/app"
  rm -f prog.exeOLD target-run.txt
  cp "$bin/demo_app_v1013.exe" prog.exe
  echo
  echo "== Last start, with prog.exe 1.0.1.3 held open by another program"
  wineserver -p </dev/null >/dev/null 2>&1 || true
  local fifo=$demo/locker-input
  rm -f "$fifo" && mkfifo "$fifo"
  wine "$bin/locker.exe" "$(echo "$demo/app/prog.exe" | sed 's|^|Z:|; s|/|\\|g')" <"$fifo" >/dev/null 2>&1 &
  exec 3>"$fifo"  # the locker holds the file until its input ends
  sleep 1
  wine Kolvex.exe prog.exe </dev/null >/dev/null 2>&1 &
  local pid=$!
  local title file
  for title in "Błąd" "Application Error"; do
    case $title in Błąd) file=failure-message.png ;; *) file=failure-error-box.png ;; esac
    if robot show --timeout 20000 "$title" >"$demo/window.txt"; then
      echo "  window \"$title\":"
      grep -oE '(class="(RichEdit50W|Static)"|title=").*' "$demo/window.txt" | grep -vE 'text=""' |
        sed -E 's/^.*(title|text)="(.*)" (rect|client)=.*$/\2/; s/(\\r)?\\n|\\r/\n/g' | sed 's/^/    /'
      robot shot "$title" "$demo/shots/window.bmp" >/dev/null &&
        convert "$demo/shots/window.bmp" "$demo/$file" && rm -f "$demo/shots/window.bmp"
      robot press "$title" OK >/dev/null
    else
      echo "  (no window \"$title\")"
    fi
  done
  wait $pid && rc=0 || rc=$?
  exec 3>&-
  wait
  rm -f "$fifo" "$demo/window.txt"
  echo "  Kolvex.exe exited with code $rc"
  echo "  prog.exe: version $(file_version "$demo/app/prog.exe"), left as it was; started: $([ -f target-run.txt ] && echo yes || echo no)"
  echo "  temporary files left: $(find "$demo/app" -name '*.kolvex-tmp' | wc -l)"
  echo "  windows: $(ls "$demo"/failure-*.png | tr '\n' ' ')"
  wineserver -k </dev/null >/dev/null 2>&1 || true
}

run_failure_demo

# What the administrator sees of the starts above: the workstation's start
# report (the last start failed, so it says why), the summary page of the
# report folder in a browser, and the check of the installation.
run_report_demo() {
  echo
  echo "== The start report in the report folder (REPORT_DIR)"
  sed 's/^\xEF\xBB\xBF//; s/\r$//; s/^/  /' "$demo/serwer/raporty/"*.txt
  echo
  echo "== kolvexadm podsumuj: the summary of the report folder"
  # Redirected, the tool writes the console's code page, 852 under the Polish locale.
  wine "$bin/kolvexadm.exe" podsumuj "$reports_win" </dev/null 2>/dev/null | iconv -f CP852 | tr -d '\r' | sed 's/^/  /'
  if command -v chromium >/dev/null; then
    chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1000,700 \
      --screenshot="$demo/summary-page.png" "file://$demo/serwer/raporty/podsumowanie.html" >/dev/null 2>&1 &&
      echo "  the page in a browser: $demo/summary-page.png"
  fi
  echo
  echo "== kolvexadm sprawdz: what the next start of the installation would do"
  (cd "$demo" && wine "$bin/kolvexadm.exe" sprawdz app prog.exe </dev/null 2>/dev/null | iconv -f CP852 | tr -d '\r' |
     sed 's/^/  /') ||
    echo "  (exit code $?: see the guide)"
  wineserver -k </dev/null >/dev/null 2>&1 || true
}

run_report_demo
