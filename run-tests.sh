#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the unit
# tests, the tests of the built plug-ins in their hosts, and the unit tests
# once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

./install-packages.sh
jobs="$(nproc)"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
# Under a virtual display, so that the test that opens a real pop-up menu runs too.
xvfb-run -a ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BUILD_BENCHMARKS=OFF
cmake --build build-sanitize -j"$jobs" --target corvane-unit-tests
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -L unit
