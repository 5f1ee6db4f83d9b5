#!/usr/bin/env bash
# Installs what is needed, builds, runs the fuzz targets for a minute each, then every
# unit test. The run ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
scripts/build.sh
scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
cd build
ctest --output-on-failure -j"$(nproc)"
