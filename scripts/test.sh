#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test.
# Usage: scripts/test.sh [debug|asan|release]   (default: debug)
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${1:-debug}"
bash scripts/deps.sh

jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs"
ctest --preset "$preset" -j "$jobs"
