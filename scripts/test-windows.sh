#!/usr/bin/env bash
# Cross-builds the plug-in, the reference host and the tests for Windows x64
# with MinGW-w64, checks what the DLL imports, and runs the tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh g++-mingw-w64-x86-64-posix wine64 googletest
export WINEDEBUG=-all WINEPREFIX="$PWD/build/windows/wineprefix"
mkdir -p "$WINEPREFIX"

jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
# Make the Wine prefix once before the tests, so parallel first starts do
# not race to create it.
wine="$(grep -E '^CAGEWARP_WINE:' build/windows/CMakeCache.txt | cut -d= -f2)"
"$wine" wineboot --init >/dev/null 2>&1 || true
"$(dirname "$wine")/wineserver" -w 2>/dev/null || true
ctest --preset windows -j "$jobs"
