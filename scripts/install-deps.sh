#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; skips what is already there.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
          qt6-base-dev qt6-translations-l10n fonts-dejavu-core poppler-utils
          clang-14 libclang-rt-14-dev clang-format desktop-file-utils dpkg-dev file
          libcups2-dev cups printer-driver-cups-pdf libreoffice-writer-nogui postgresql libpq-dev)
[ "${WITH_XVFB:-0}" = 1 ] && packages+=(xvfb xauth imagemagick)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
