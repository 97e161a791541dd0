#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and the sanitizers, writes
# the seed inputs, and fuzzes the Lattice object's scene-block loader for a
# short while.  A crash, a sanitizer report or a broken lattice fails the
# run; libFuzzer leaves the input that did it in build/fuzz/.
# Usage: scripts/fuzz.sh [seconds]   (default: 45)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-45}"
bash scripts/deps.sh clang libclang-rt-14-dev

jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target lattice_block_fuzz lattice_block_seeds

corpus=build/fuzz/corpus/lattice_block
rm -rf "$corpus"
mkdir -p "$corpus"
build/fuzz/fuzz/lattice_block_seeds "$corpus"
build/fuzz/fuzz/lattice_block_fuzz -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/ "$corpus"
