#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the core
# and window tests (windows on Qt's offscreen platform), then the language
# file loader under libFuzzer for a bounded time.
# TARNVIK_SANITIZE=1 builds and tests with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
tarnvik_install $TARNVIK_PACKAGES $TARNVIK_TEST_PACKAGES
build=build-test
sanitize=OFF
if [ "${TARNVIK_SANITIZE:-0}" = "1" ]; then build=build-asan; sanitize=ON; fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNVIK_SANITIZE=$sanitize
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
if [ -x fuzz/run.sh ] && [ "${TARNVIK_SKIP_FUZZ:-0}" != "1" ]; then
    fuzz/run.sh 60
fi
