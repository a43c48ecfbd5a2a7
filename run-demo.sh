#!/usr/bin/env bash
# Installs what is needed, builds the plug-in in every format and the render
# tool, and renders the built-in demo through the plug-in.
set -euo pipefail
cd "$(dirname "$0")"

./install-packages.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target corvane-render CorvaneReverse_All

mkdir -p out
./build/tools/corvane-render --demo --out out/corvane-demo.wav "$@"

artefacts=build/plugin/CorvaneReverse_artefacts/Release
echo "Rendered demo: $(pwd)/out/corvane-demo.wav"
echo "Plug-ins:"
echo "  VST2:       $(pwd)/$artefacts/VST/libCorvaneReverse.so"
echo "  VST3:       $(pwd)/$artefacts/VST3/CorvaneReverse.vst3"
echo "  LV2:        $(pwd)/$artefacts/LV2/CorvaneReverse.lv2"
echo "  Standalone: $(pwd)/$artefacts/Standalone/CorvaneReverse"
