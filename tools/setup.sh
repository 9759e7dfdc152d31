#!/usr/bin/env bash
# Installs what building, running and testing the program needs, from Debian's packages,
# when it is missing. Safe to run again: it installs nothing that is already there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-odbc libgl-dev
    qt6-charts-dev libqt6opengl6-dev   # the balance chart of the inquiry (Charts needs OpenGL's CMake files)
    fonts-liberation   # "Courier New" of the reports maps to Liberation Mono
    poppler-utils      # pdftotext, used by the report tests
    unixodbc libsqliteodbc   # the ODBC path of the tests, on SQLite's ODBC driver
    ccache             # keeps rebuilds short
    xvfb xauth         # a display for running the program on a machine without one
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    echo "Please install as root: apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
