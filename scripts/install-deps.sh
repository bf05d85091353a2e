#!/usr/bin/env bash
# Installs the Debian 12 packages that building, playing and testing need,
# only those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-image-formats-plugins
    qt6-translations-l10n
    fonts-comic-neue fonts-liberation fonts-noto-core
    zlib1g-dev liblzma-dev libgif-dev libmpg123-dev lame
    clang libclang-rt-14-dev
    libxcb1-dev libfontconfig-dev dpkg-dev lintian appstream file
    xvfb xauth xdotool imagemagick x11-utils openbox weston qt6-wayland
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installo i pacchetti mancanti: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
