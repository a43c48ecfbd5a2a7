#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the unit
# tests, the tests of the built plug-ins in their hosts, the unit tests once
# more under AddressSanitizer and UndefinedBehaviorSanitizer, and a minute of
# fuzzing of the host state chunk.
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
    xvfb-run -a ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -L unit

# The state chunk fuzzer, built with clang. It starts from a copy of
# tests/fuzz/corpus (libFuzzer adds what it finds to that folder) and stops
# after a minute; a crash, a sanitizer report or a broken rule fails the run
# and leaves the input in build-fuzz/ as crash-* (or leak-*, timeout-*, oom-*).
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_FUZZ=ON -DCORVANE_BUILD_BENCHMARKS=OFF
cmake --build build-fuzz -j"$jobs" --target corvane-state-fuzzer
fuzz_corpus="$(mktemp -d)"
trap 'rm -rf "$fuzz_corpus"' EXIT
cp tests/fuzz/corpus/* "$fuzz_corpus"/
build-fuzz/tests/fuzz/corvane-state-fuzzer "$fuzz_corpus" -dict=tests/fuzz/state-chunk.dict \
    -max_total_time=60 -rss_limit_mb=2048 -max_len=65536 -timeout=30 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/
