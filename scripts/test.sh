#!/bin/bash
# The whole test suite, from a fresh clone: host tier (sanitizers, fuzzing),
# then the Wine tier (unit, Win32, window and end-to-end tests under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
step() { printf '\n== %s (%ds)\n' "$*" $((SECONDS - start)); }

step "Installing what is missing"
bash scripts/setup.sh

step "Host tier: portable core with AddressSanitizer and UBSan"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host

step "Host tier: fuzz targets, their corpora replayed and a few seconds of fuzzing"
bash scripts/fuzz.sh "${KOLVEX_FUZZ_SECONDS:-3}"

step "Wine tier: building the 32-bit Windows programs"
cmake --preset win32 >/dev/null
cmake --build --preset win32

step "Wine tier: tests under Wine and Xvfb"
export LANG=pl_PL.UTF-8
xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/wine-ctest.sh build/win32 -j 4

step "All tests passed"
