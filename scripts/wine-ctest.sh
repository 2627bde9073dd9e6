#!/bin/bash
# Runs CTest for a Windows build under Wine: BUILD_DIR [ctest arguments].
# The wine server is started first, detached: a server started by a test
# inside CTest's pipes keeps them open and slows or hangs every test.
set -uo pipefail
build=$1; shift
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash "$(dirname "$0")/../cmake/wine-prefix.sh" "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure "$@"
rc=$?
wineserver -k </dev/null >/dev/null 2>&1
exit $rc
