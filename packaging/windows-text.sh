#!/bin/sh
# Usage: windows-text.sh UTF-8|UTF-16LE IN OUT
# Writes the UTF-8 text IN as Windows programs expect it: CR LF line ends and
# a byte order mark, in UTF-8 (Notepad on any Windows shows the Polish letters)
# or UTF-16LE (the private-profile calls read it as Unicode whatever the
# system's ANSI code page).
set -eu
encoding=$1 in=$2 out=$3
case $encoding in
  UTF-8) bom='\357\273\277' ;;
  UTF-16LE) bom='\377\376' ;;
  *) echo "windows-text.sh: unknown encoding $encoding" >&2; exit 2 ;;
esac
{ printf "$bom"; sed 's/\r*$/\r/' "$in" | iconv -f UTF-8 -t "$encoding"; } >"$out.tmp"
mv "$out.tmp" "$out"
