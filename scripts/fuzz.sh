#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a while.
#   scripts/fuzz.sh [SECONDS]    default 40 seconds per target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-40}"
build=build-fuzz

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORNELTA_BUILD_FUZZ=ON -DVORNELTA_BUILD_TESTS=OFF -DVORNELTA_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    > "$build.log" 2>&1 || { cat "$build.log"; exit 1; }
cmake --build "$build" --target fuzz_image fuzz_filter fuzz_create fuzz_report dorod -j2 >> "$build.log" 2>&1 || { tail -50 "$build.log"; exit 1; }

# Seeds: small valid images of every field type, made with the tool itself.
corpus=fuzz-corpus/image
mkdir -p "$corpus"
"$build/tools/dorod" create "$corpus/seed1.d" < fuzz/seeds/every-type.json
"$build/tools/dorod" create "$corpus/seed2.d" < fuzz/seeds/announcements.json

filters=fuzz-corpus/filter
mkdir -p "$filters"
printf "Summa >= 100 AND Client LIKE 'ab%%'" > "$filters/seed1"
printf "Client LIKE Pattern AND Flag = TRUE GROUP BY a" > "$filters/seed2"
printf "%%a_b*c?" > "$filters/seed3"

# dorod create's input: the seed tables as JSON, and a few near misses.
creates=fuzz-corpus/create
mkdir -p "$creates"
cp fuzz/seeds/*.json "$creates/"
printf '{"fields":[{"name":"a","type":"SmallStr","size":3}],"records":[["abcd"]]}' > "$creates/too-long"
printf '{"fields":[{"name":"n","type":"Int64"}],"records":[[-0],[18446744073709551615]],"notes":null}' > "$creates/numbers"

# Report templates: the two shipped ones and a small one with every kind of object.
reports=fuzz-corpus/report
mkdir -p "$reports"
cp resources/Отчеты/*.frf "$reports/"
cp fuzz/seeds/small.frf "$reports/"

export ASAN_OPTIONS=detect_leaks=1
run() { # target corpus [max_len [more options]]
    echo "== $1"
    "$build/fuzz/$1" -max_total_time="$seconds" -max_len="${3:-4096}" -print_final_stats=1 \
        ${4:-} "$2" \
        > "$build/$1.log" 2>&1 || { tail -40 "$build/$1.log"; return 1; }
    grep -E "^(Done|stat::number_of_executed_units)" "$build/$1.log"
}
run fuzz_image "$corpus"
run fuzz_filter "$filters"
run fuzz_create "$creates"
# A template is read, laid out and painted within 20 seconds, or the run fails.
LSAN_OPTIONS=suppressions=fuzz/report-leaks.supp:print_suppressions=0 \
    run fuzz_report "$reports" 12000 "-timeout=20 -dict=fuzz/report.dict"
