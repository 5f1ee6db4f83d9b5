#!/usr/bin/env bash
# Installs what is needed, checks that the sources are formatted, builds, runs the fuzz
# targets for 40 seconds each, builds the Debian package and starts the programs from it,
# then runs every unit test, with a CUPS PDF printer for the printing tests and a
# throw-away PostgreSQL cluster for the database tests (both set up here and taken down at
# the end, whatever happens). The run ends with ctest's summary.
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
pg_dir=""
cleanup() {
    "$root"/scripts/cups-test-queue.sh stop "$cups_state" || true
    if [ -n "$pg_dir" ]; then "$root"/scripts/pg-test-cluster.sh remove "$pg_dir" || true; fi
}
trap cleanup EXIT
printer_env=$(scripts/cups-test-queue.sh start "$cups_state") # fails the run when it fails
eval "$printer_env"
# The database tests reach the cluster through VORNELTA_TEST_PG_URL. Without the server
# programs they skip, except in CI, where a missing server fails the run.
pg_status=0
pg_env=$(scripts/pg-test-cluster.sh start) || pg_status=$?
if [ "$pg_status" -eq 0 ]; then
    eval "$pg_env"
    pg_dir="$VORNELTA_TEST_PG_DIR"
elif [ "$pg_status" -eq 3 ] && [ "${CI:-}" != true ]; then
    echo "PostgreSQL is not installed: the database tests will be skipped"
else
    echo "The throw-away PostgreSQL cluster did not start" >&2
    exit 1
fi
cd build
ctest --output-on-failure -j"$(nproc)"
