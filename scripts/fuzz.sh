#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a while.
#   scripts/fuzz.sh [SECONDS]    default 60 seconds per target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORNELTA_BUILD_FUZZ=ON -DVORNELTA_BUILD_TESTS=OFF -DVORNELTA_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    > "$build.log" 2>&1 || { cat "$build.log"; exit 1; }
cmake --build "$build" --target fuzz_image dorod -j2 >> "$build.log" 2>&1 || { tail -50 "$build.log"; exit 1; }

# Seeds: small valid images of every field type, made with the tool itself.
corpus=fuzz-corpus/image
mkdir -p "$corpus"
"$build/tools/dorod" create "$corpus/seed1.d" < fuzz/seeds/every-type.json
"$build/tools/dorod" create "$corpus/seed2.d" < fuzz/seeds/announcements.json

export ASAN_OPTIONS=detect_leaks=1
"$build/fuzz/fuzz_image" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    "$corpus" 2>&1 | tail -15
