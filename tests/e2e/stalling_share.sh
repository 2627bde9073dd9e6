#!/bin/bash
# Runs the StallingShare tests of e2e_tests.exe (WINE_RUN E2E_EXE) against
# tests/e2e/stalling_share.py mounted with FUSE.
set -uo pipefail
fail() { echo "stalling share: $*" >&2; exit 1; }
[ -c /dev/fuse ] || fail "/dev/fuse is missing: these tests need a FUSE share (CI runs as root with /dev/fuse)"
/usr/bin/python3 -c 'import fusepy' 2>/dev/null && command -v fusermount >/dev/null ||
  fail "fuse3 or python3-fusepy is missing (bash scripts/setup.sh installs them)"
root=$(mktemp -d /tmp/kolvex-stall.XXXXXX)
mkdir "$root/backing" "$root/share"
/usr/bin/python3 "$(dirname "$0")/stalling_share.py" "$root/backing" "$root/share" 2>"$root/fuse.log" &
fuse=$!
# Lazily: look-ups still waiting must not keep the share mounted.
trap 'fusermount -u -z "$root/share"; kill -KILL $fuse; wait $fuse; rm -rf "$root"' EXIT
for _ in $(seq 100); do mountpoint -q "$root/share" && break; sleep 0.1; done
mountpoint -q "$root/share" || { cat "$root/fuse.log" >&2; fail "the FUSE share did not mount"; }
# Into a file, not a pipe: a launcher whose look-up still waits in the share
# lives on (though it has ended for Windows) and would hold a pipe open.
KOLVEX_STALL_BACKING="$root/backing" KOLVEX_STALL_SHARE="$root/share" \
  "$1" "$2" --gtest_filter='StallingShare.*' >"$root/out.txt" 2>&1
rc=$?
cat "$root/out.txt"
grep -q '^\[  PASSED  \] [1-9]' "$root/out.txt" || [ $rc -ne 0 ] || fail "no test ran"
exit $rc
