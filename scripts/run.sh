#!/usr/bin/env bash
# Installs what is missing, builds the client and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBRIK_BENCH=OFF
cmake --build build -j "$(nproc)" --target tobrik-client plutil
exec build/bin/tobrik-client
