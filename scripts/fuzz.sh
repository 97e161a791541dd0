#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and the sanitizers, writes
# the seed inputs, and fuzzes each reader for a short while: the Lattice
# object's scene-block loader, the reference host's scene-file reader (with
# the real module loaded) and its OBJ reader.  A crash, a sanitizer report,
# a broken lattice or a scene or mesh that does not save and read back as
# itself fails the run; libFuzzer leaves the input that did it in
# build/fuzz/.
# Usage: scripts/fuzz.sh [seconds per target]   (default: 45)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-45}"
bash scripts/deps.sh clang libclang-rt-14-dev

jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target lattice_block_fuzz lattice_block_seeds scene_file_fuzz obj_mesh_fuzz

# fuzz TARGET CORPUS [OPTIONS]: a fresh run over the corpus (seeded by the
# caller).
fuzz() {
  build/fuzz/fuzz/"$1" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/"$1"- "${@:3}" "$2"
}

# fresh_corpus NAME: an empty corpus folder.
fresh_corpus() {
  rm -rf "build/fuzz/corpus/$1"
  mkdir -p "build/fuzz/corpus/$1"
  echo "build/fuzz/corpus/$1"
}

corpus="$(fresh_corpus lattice_block)"
build/fuzz/fuzz/lattice_block_seeds "$corpus"
fuzz lattice_block_fuzz "$corpus"

# Every scene and mesh of the examples and the tests seeds the readers.
corpus="$(fresh_corpus scene_file)"
find examples tests -name '*.cws' -exec cp -t "$corpus" {} +
fuzz scene_file_fuzz "$corpus" -max_len=40000

corpus="$(fresh_corpus obj_mesh)"
find examples tests -name '*.obj' -exec cp -t "$corpus" {} +
# Small inputs run many times more often; the large mesh seeds its start.
fuzz obj_mesh_fuzz "$corpus" -max_len=16384
