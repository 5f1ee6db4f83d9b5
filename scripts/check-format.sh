#!/usr/bin/env bash
# Fails, naming each place, when a source file differs from what scripts/format.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/sources.sh
mapfile -t files < <(own_sources)
[ ${#files[@]} -eq 0 ] && exit 0
clang-format --dry-run -Werror --style=file "${files[@]}"
