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
wineserver="$(dirname "$wine")/wineserver"
"$wine" wineboot --init >/dev/null 2>&1 || true
"$wineserver" -w 2>/dev/null || true
# One Wine server for the whole run: otherwise it shuts down whenever the
# last test process exits, and a test starting at that moment loses its
# connection to it ("recvmsg: Connection reset by peer") and fails without
# having run.  Its service processes are started here too, with their output
# going nowhere: started by the first test they would live on with the
# server, holding that test's output pipe open, and CTest would wait for it
# forever.
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT
"$wine" wineboot >/dev/null 2>&1 </dev/null || true
# A test that fails is run once more: a Wine start-up failure is not the
# test's; a real failure fails again.
ctest --preset windows -j "$jobs" --repeat until-pass:2
