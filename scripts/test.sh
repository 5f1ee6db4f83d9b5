#!/usr/bin/env bash
# Installs what is needed, checks that the sources are formatted, builds, runs the fuzz
# targets for 40 seconds each, builds the Debian package and starts the programs from it,
# then runs every unit test, with a CUPS PDF printer for the printing tests (set up here
# and taken down at the end, whatever happens). The run ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
scripts/install-deps.sh
scripts/check-format.sh
scripts/build.sh
scripts/fuzz.sh "${FUZZ_SECONDS:-40}"
scripts/test-package.sh build
# The printing tests fail, rather than skip, when something they need is missing.
export VORNELTA_REQUIRE_TOOLS=1
cups_state=$(mktemp)
trap '"$root"/scripts/cups-test-queue.sh stop "$cups_state"' EXIT
printer_env=$(scripts/cups-test-queue.sh start "$cups_state") # fails the run when it fails
eval "$printer_env"
cd build
ctest --output-on-failure -j"$(nproc)"
