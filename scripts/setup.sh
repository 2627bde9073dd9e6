#!/bin/bash
# Installs what building and testing need on Debian 12 (run as root).
# Idempotent: installs only what is missing.
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev googletest libbenchmark-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 mingw-w64-i686-dev binutils-mingw-w64-i686
          wine wine32:i386 wine64 xvfb xauth xdotool imagemagick
          fonts-liberation fonts-wine locales zip unzip fuse3 python3-fusepy
          chromium openssl osslsigncode wixl msitools)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: enabling the i386 architecture (for wine32)"
  dpkg --add-architecture i386
  rm -f /var/lib/apt/lists/lock
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/tmp/kolvex-apt.log 2>&1 ||
    { tail -20 /tmp/kolvex-apt.log; exit 1; }
else
  echo "setup: all packages present"
fi

# Wine takes the Polish code page (1250) only from a generated glibc locale.
for loc in pl_PL.UTF-8 en_US.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc%%.*}.utf8$"; then
    echo "setup: generating the locale $loc"
    sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" >>/etc/locale.gen
    locale-gen >/dev/null
  fi
done
