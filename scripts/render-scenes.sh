#!/usr/bin/env bash
# Sets up the machine, builds Quorvel and draws the panel of every demo scene
# in every installed language into one folder, as SCENE-LANGUAGE.png.
#   bash scripts/render-scenes.sh [FOLDER] [SCALE]
# FOLDER defaults to build/scenes, SCALE (1 or 2) to 1. Needs no desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/scenes}
scale=${2:-1}
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build -j"$(nproc)"
mkdir -p "$out"

# quorvel names its scenes when asked for one it lacks.
scenes=$(./build/bin/quorvel --render "" --output /dev/null 2>&1 | sed -n 's/.*the scenes are: //p' | tr -d ',')
if [[ -z $scenes ]]; then
  echo "render-scenes: quorvel named no scenes" >&2
  exit 1
fi
languages=$(ls build/share/quorvel/Quorvel_QuorvelCore.bundle/Localization | sed -n 's/\.lproj$//p')

for language in $languages; do
  for scene in $scenes; do
    QUORVEL_LOCALE=$language ./build/bin/quorvel --render "$scene" --scale "$scale" \
      --output "$out/$scene-$language.png"
  done
done
echo "$(ls "$out" | wc -l) pictures in $out"
