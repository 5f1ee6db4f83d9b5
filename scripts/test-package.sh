#!/usr/bin/env bash
# Builds the Debian package from build/, lists its files, checks the desktop entry and the
# package's dependencies, unpacks it into a scratch root and starts the programs from there.
#   scripts/test-package.sh [BUILD_DIR]     build/ by default (configured and built)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT

rm -f "$build"/vornelta_*.deb
(cd "$build" && cpack -G DEB > cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
deb="$(ls "$build"/vornelta_*.deb)"
echo "== $deb"
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Architecture|Depends|Recommends):'
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$'

fail() { echo "test-package: $*" >&2; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries"
dpkg-deb --field "$deb" Depends | grep -q 'qt6-qpa-plugins' || fail "Depends lacks qt6-qpa-plugins"

dpkg-deb -x "$deb" "$root"
for f in usr/bin/vornelta usr/bin/dorod usr/bin/vornelta-demo \
         usr/share/applications/vornelta.desktop \
         usr/share/icons/hicolor/scalable/apps/vornelta.svg \
         usr/share/icons/hicolor/48x48/apps/vornelta.png \
         usr/share/vornelta/icons/vornelta-64.png; do
    [ -e "$root/$f" ] || fail "missing $f"
done
desktop-file-validate "$root/usr/share/applications/vornelta.desktop"

# No display: --version must answer before any window is made.
# (Printed from a variable: "tee /dev/stderr" would reopen, and so empty, a log file that
# standard error is redirected to.)
version="$(env -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=C "$root/usr/bin/vornelta" --version)" \
    || fail "vornelta --version"
echo "$version"
grep -qx "vornelta [0-9.]*" <<< "$version" || fail "vornelta --version: $version"
env -u DISPLAY LC_ALL=ru_RU.UTF-8 "$root/usr/bin/vornelta" --help | grep -q -- '--export-realty' \
    || fail "vornelta --help"
LC_ALL=C "$root/usr/bin/dorod" --version | grep -qx "dorod [0-9.]*" || fail "dorod --version"
LC_ALL=C "$root/usr/bin/vornelta-demo" --version | grep -qx "vornelta-demo [0-9.]*" \
    || fail "vornelta-demo --version"
# The shipped report templates, checked by the installed template tool when it is built.
for t in "$root"/usr/share/vornelta/Отчеты/*.frf; do
    [ -e "$t" ] || continue
    if [ -e "$root/usr/bin/vornelta-report" ]; then
        "$root/usr/bin/vornelta-report" check "$t" > /dev/null || fail "template $t"
    fi
done
echo "test-package: OK"
