#!/usr/bin/env bash
# Formats the tree's own C++ sources in place with the repository's .clang-format.
#   scripts/format.sh [FILE...]     every source file when none are given
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/sources.sh
if [ $# -gt 0 ]; then files=("$@"); else mapfile -t files < <(own_sources); fi
[ ${#files[@]} -eq 0 ] && exit 0
clang-format -i --style=file "${files[@]}"
