#!/usr/bin/env bash
# Starts the program for real in a virtual X display on the demo folder and takes a
# picture of the screen: shows that it starts and lists the announcements.
#   scripts/screenshot.sh [PNG]     default: screenshot.png
set -euo pipefail
cd "$(dirname "$0")/.."
WITH_XVFB=1 scripts/install-deps.sh
scripts/build.sh
folder=demo
[ -e "$folder/data.d" ] || build/vornelta-demo "$folder"
out="$(realpath -m "${1:-screenshot.png}")"
xvfb-run -a -s '-screen 0 1280x800x24' sh -c "
    build/vornelta --folder '$folder' & app=\$!
    sleep 3
    import -window root '$out'
    kill \$app"
echo "$out"
