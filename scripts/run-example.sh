#!/usr/bin/env bash
# The main job on the bundled example: installs the Debian packages that are
# missing, builds the plug-in module and the reference host, runs the "bend"
# example scene (examples/bend/bend.cws) through all its frames, writes
# the deformed tube of every frame as an OBJ file, and draws every frame
# from the scene's camera as a PNG picture, with a contact sheet of them all.
# Usage: scripts/run-example.sh [OUT_DIR]   (default: out/bend)
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-out/bend}"
bash scripts/deps.sh

jobs="$(nproc 2>/dev/null || echo 2)"
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$jobs" --target cagewarp cagewarp-host

build/debug/host/cagewarp-host run examples/bend/bend.cws --module build/debug/plugin/cagewarp.so --out "$out" \
  --render camera --size 640x480 --sheet
dir="$(cd "$out" && pwd)"
echo
echo "The deformed tube of every frame is in $dir/"
echo "(Tube.0000.obj to Tube.0048.obj, 24 frames per second): open them in any OBJ viewer."
echo "The pictures through the scene's camera are $dir/camera.0000.png to camera.0048.png,"
echo "and $dir/camera.sheet.png shows all 49 frames on one sheet."
