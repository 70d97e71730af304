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
summary="$(mktemp)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" | tee "$summary"
if [ -x fuzz/run.sh ] && [ "${TARNVIK_SKIP_FUZZ:-0}" != "1" ]; then
    fuzz/run.sh 60
    echo "fuzzing: the language file loader ran 60 s without a fault"
fi
# The tests' count once more as the last line, after the fuzzer's output.
line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$summary" | tail -1)"
rm -f "$summary"
total="$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')"
failed="$(echo "$line" | sed -E 's/.*, ([0-9]+) tests failed.*/\1/')"
echo "tests: $((total - failed)) passed, $failed failed"
