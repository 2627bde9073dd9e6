#!/bin/bash
# Creates the Wine prefix of one build directory, once: the first start takes
# 10-15 s, later starts reuse it. Usage: wine-prefix.sh PREFIX
set -eu
prefix=$1
stamp="$prefix/.kolvex-ready"
[ -f "$stamp" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
echo "wine-prefix: creating $prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
# This Wine looks for its own fonts at a broken path; without them the
# dialog font falls back to a huge one and every layout is off.
mkdir -p "$prefix/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
for f in /usr/share/fonts/truetype/liberation/*.ttf; do cp "$f" "$prefix/drive_c/windows/Fonts/"; done
# Without a window manager each DestroyWindow stalls ~2 s unless unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Windows fonts by their usual names, metric-compatible.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
