#!/usr/bin/env bash
# Installs what is missing, builds the station, prepares its program folder
# (build/program: the program, LANGUAGE.DAT, the help documents; tarnvik.ini
# and tarnvik.mdb are created there at first start) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
tarnvik_install $TARNVIK_PACKAGES
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARNVIK_BUILD_TESTS=OFF -DTARNVIK_BUILD_BENCHMARKS=OFF
cmake --build build -j"$(nproc)" --target tarnvik tarnvik_program_files
exec build/program/tarnvik "$@"
