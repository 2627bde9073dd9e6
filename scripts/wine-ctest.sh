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
# One desktop for the whole run, so that tests opening their first windows
# at the same moment do not each start one (tests/fixtures/desktop_keeper.cpp).
if [ -f "$build/bin/desktop_keeper.exe" ]; then
  wine "$build/bin/desktop_keeper.exe" </dev/null >/dev/null 2>&1 &
fi
ctest --test-dir "$build" --output-on-failure --resource-spec-file "$(cd "$(dirname "$0")/.." && pwd)/tests/ctest-resources.json" "$@"
rc=$?
wineserver -k </dev/null >/dev/null 2>&1
exit $rc
