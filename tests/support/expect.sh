# What the shell tests share: sourced with build set to the build directory.
failures=0
win() { printf 'Z:%s' "${1//\//\\}"; }
# A Windows program of the build under Wine, its output with LF line ends.
run() { "$build/wine-run" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# Redirected, kolvexadm writes the OEM code page of the locale (as cmd's commands do), 852 for
# Polish, where typographic quotes and dashes become plain ones.
case "${LANG:-}" in pl_*) oem=CP852 ;; *) oem=CP437 ;; esac
adm() {
  "$build/wine-run" "$build/bin/kolvexadm.exe" "$@" </dev/null 2>/dev/null | iconv -f $oem -t UTF-8 | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Where a test's folders go that the service checks: no folder above them may
# be writable by everybody. Under the build, unless it lies in such a folder
# (a clone in /tmp), and then in /var/lib.
protected_parent() {
  local d=$build
  while :; do
    [ -z "$(find "$d" -maxdepth 0 -perm -o+w)" ] || { echo /var/lib; return; }
    [ "$d" = / ] && break
    d=$(dirname "$d")
  done
  echo "$build"
}
# expect NAME CODE OUTPUT PATTERN... : the exit code, then each pattern (grep -E) in the output.
expect() {
  local name=$1 code=$2 out=$3 got=$4; shift 4
  [ "$got" = "$code" ] || fail "$name: exit code $got, expected $code"
  for pattern in "$@"; do grep -qE -- "$pattern" <<<"$out" || fail "$name: no line matches '$pattern'"; done
  [ "$failures" = 0 ] || printf '%s\n' "$out" | sed 's/^/    /'
}
