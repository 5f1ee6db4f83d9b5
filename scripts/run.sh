#!/usr/bin/env bash
# Installs what is needed, builds everything, makes a demo program folder (demo/) with a
# few hundred announcements when there is none, and starts the program on it.
#   scripts/run.sh [FOLDER]     another program folder instead of demo/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
folder="${1:-demo}"
if [ ! -e "$folder/data.d" ]; then
    build/vornelta-demo "$folder"
fi
exec build/vornelta --folder "$folder"
