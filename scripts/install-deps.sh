#!/usr/bin/env bash
# Installs what building and testing the setup program needs on Debian 12.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
    cmake make g++ ninja-build libgtest-dev libgmock-dev
    g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
    wine wine32:i386 wine64 wixl msitools xvfb xauth xdotool x11-utils imagemagick
    librsvg2-bin icoutils fonts-wine
    clang libclang-rt-14-dev gcovr osslsigncode openssl locales shellcheck shfmt
)

SUDO=$([ "$(id -u)" -eq 0 ] || echo sudo)
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine decodes Unix file names by the Unix locale: without ru_RU.UTF-8 generated, glibc falls
# back to ASCII, and a folder with a Russian name is not found.
if ! locale -a | grep -qx 'ru_RU.utf8'; then
    grep -qx 'ru_RU.UTF-8 UTF-8' /etc/locale.gen ||
        $SUDO sed -i 's/^# *ru_RU.UTF-8 UTF-8$/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    grep -qx 'ru_RU.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
