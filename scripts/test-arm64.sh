#!/usr/bin/env bash
# Cross-builds the plug-in, the reference host and the tests for Linux arm64
# with Debian's cross compiler and runs every test under qemu-user, on an
# emulated Cortex-A53 (cmake/aarch64-linux-gnu.cmake).  The emulator proves
# that the arm64 build works, not how fast it is: time it on a real arm64
# machine.
set -euo pipefail
cd "$(dirname "$0")/.."

# googletest: Debian's GoogleTest sources, built for arm64 with the tests
# (tests/CMakeLists.txt); CLI11 is header-only and the build machine's copy
# serves (host/CMakeLists.txt).
bash scripts/deps.sh g++-aarch64-linux-gnu qemu-user googletest

jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset arm64 >/dev/null
cmake --build --preset arm64 -j "$jobs"
ctest --preset arm64 -j "$jobs"
