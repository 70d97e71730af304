#!/bin/sh
# Builds the language-file fuzz target with clang (libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) in a build directory of its own, then runs it
# for a bounded time on a copy of the seed corpus in fuzz/corpus.
#
#   fuzz/run.sh [seconds]        (default 60)
#   BUILD_DIR=/path fuzz/run.sh  (default: build-fuzz beside the sources)
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build-fuzz}
SECONDS_TO_RUN=${1:-60}
JOBS=${JOBS:-4}

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD_DIR" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNVIK_BUILD_FUZZERS=ON -DTARNVIK_SANITIZE=ON \
    -DTARNVIK_BUILD_TESTS=OFF -DTARNVIK_BUILD_BENCHMARKS=OFF
cmake --build "$BUILD_DIR" --target language_file_fuzzer -j "$JOBS"

# libFuzzer adds the inputs it finds to its first corpus folder: give it a
# scratch copy so that the committed seeds stay as they are.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT INT TERM
cp "$ROOT"/fuzz/corpus/* "$WORK"/

ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
"$BUILD_DIR/fuzz/language_file_fuzzer" \
    -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
    -artifact_prefix="$BUILD_DIR/fuzz/" -print_final_stats=1 \
    "$WORK"
