#!/usr/bin/env bash
# Installs what is needed, checks that the sources are formatted, builds, runs the fuzz
# targets for 40 seconds each, builds the Debian package and starts the programs from it,
# then runs every unit test against a throw-away PostgreSQL cluster, removed at the end.
# The run ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
scripts/install-deps.sh
scripts/check-format.sh
scripts/build.sh
scripts/fuzz.sh "${FUZZ_SECONDS:-40}"
scripts/test-package.sh build
# The database tests reach the cluster through VORNELTA_TEST_PG_URL. Without the server
# programs they skip, except in CI, where a missing server fails the run.
pg_status=0
pg_env=$(scripts/pg-test-cluster.sh start) || pg_status=$?
if [ "$pg_status" -eq 0 ]; then
    eval "$pg_env"
    # The trap runs from build/: the script by its full path.
    trap "'$PWD/scripts/pg-test-cluster.sh' remove '$VORNELTA_TEST_PG_DIR'" EXIT
elif [ "$pg_status" -eq 3 ] && [ "${CI:-}" != true ]; then
    echo "PostgreSQL is not installed: the database tests will be skipped"
else
    echo "The throw-away PostgreSQL cluster did not start" >&2
    exit 1
fi
cd build
ctest --output-on-failure -j"$(nproc)"
