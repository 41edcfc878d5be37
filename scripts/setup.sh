#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (run as root).
# Idempotent: a second run checks and does nothing. The 64-bit Windows toolchain and 64-bit Wine
# are always installed; i386 and 32-bit Wine only where this machine executes 32-bit code (the
# 32-bit tree is still built everywhere: its compiler is a 64-bit program).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
die() { echo "setup: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || die "run as root (it installs packages with apt-get)"
command -v apt-get >/dev/null || die "apt-get not found: this script is for Debian 12"

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake g++ make pkg-config googletest
      g++-mingw-w64-i686-posix binutils-mingw-w64-i686
      g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
      wine wine64 xvfb x11-utils imagemagick fonts-ipafont-gothic fonts-ipafont-mincho
      socat libopenobex2-dev libstb-dev libssl-dev locales
      clang libclang-rt-14-dev python3
      libcli11-dev nlohmann-json3-dev dpkg-dev file)
can32=0
if bash "$here/probe32.sh"; then
    can32=1
    pkgs+=(wine32:i386)
fi

need=()
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
    if [ $can32 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386 || die "could not add the i386 architecture"
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q || die "apt-get update failed"
    apt-get install -y -q --no-install-recommends "${need[@]}" ||
        die "could not install: ${need[*]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null || die "locale-gen failed for ja_JP.UTF-8"
fi
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$' || die "the ja_JP.UTF-8 locale is missing"
exit 0
