#!/usr/bin/env bash
# Builds everything and shows a sample table: creates demo/sample.d with the engine's
# tool and prints what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
mkdir -p demo
build/tools/dorod create demo/sample.d < fuzz/seeds/announcements.json
build/tools/dorod info demo/sample.d
build/tools/dorod dump --tsv demo/sample.d
