#!/usr/bin/env bash
# Installs the Debian 12 packages Talvane builds, tests and runs with, when they are missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libqt6opengl6-dev libgl-dev libglu1-mesa-dev
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
    xvfb xauth libgl1-mesa-dri fonts-dejavu-core
    zlib1g-dev libpng-dev gdal-bin libgdal-dev libtbb-dev
    clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
