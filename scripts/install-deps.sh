#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, when any is missing.
set -euo pipefail
PACKAGES=(cmake ninja-build g++ libgtest-dev googletest clang libclang-rt-14-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix wine64 xvfb xdotool
          imagemagick x11-utils python3 util-linux fonts-wine locales
          libreoffice-writer-nogui)  # soffice: the end-to-end runs convert the saved RTF
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The program is French: Wine follows LC_ALL, which needs the locale generated.
if ! locale -a 2>/dev/null | grep -qix 'fr_FR.utf-\?8'; then
  echo "generating the fr_FR.UTF-8 locale"
  sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
