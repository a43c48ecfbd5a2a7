#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and tests with.
set -euo pipefail

packages=(
    cmake g++ make pkg-config           # toolchain
    juce-modules-source                 # JUCE 7.0.5 with its CMake support
    fst-dev                             # the VST2 interface for JUCE's VST2 client
    libgtest-dev libbenchmark-dev       # tests and benchmarks
    clang libclang-rt-14-dev            # the state chunk fuzzer: clang 14, libFuzzer and its sanitizers
    lilv-utils                          # lv2ls and lv2info, to check the LV2 bundle
    xvfb xauth                          # a display for the editor tests
    fonts-dejavu-core                   # a font for the text the look-and-feel tests draw
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
