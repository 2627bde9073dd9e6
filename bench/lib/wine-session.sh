# Sourced by the Wine benchmarks, from the checkout's root with $build set.

# A step that fails under `set -e` says which one it was, in functions too,
# instead of ending the benchmark without a word.
set -E
trap 'bench_rc=$?; echo "${0##*/}: FAILED at line $LINENO (exit code $bench_rc): $BASH_COMMAND" >&2' ERR

# Builds the named targets; on failure shows the end of the build's output.
bench_build() {
  local log
  log=$(mktemp)
  if ! { cmake --preset win32 && cmake --build --preset win32 --target "$@"; } >"$log" 2>&1; then
    tail -30 "$log" >&2
    rm -f "$log"
    echo "$(basename "$0"): FAILED: building the programs" >&2
    exit 1
  fi
  rm -f "$log"
}

# The build's prefix, a display (the shell wants one even for a hand-off:
# without one the calling script starts again inside Xvfb), and a wine
# server started before the first timed round.
bench_wine() {
  export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  bash cmake/wine-prefix.sh "$WINEPREFIX"
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "${bench_args[@]}"
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true  # one may already run
  wine cmd /c exit </dev/null >/dev/null 2>&1
}
