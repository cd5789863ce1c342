#!/usr/bin/env bash
# Builds the Debian package quorvel_<version>_<arch>.deb from a Release build
# in build-deb (or the folder given) and leaves it in the repository's root.
# Install it with: sudo apt-get install ./quorvel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
bash scripts/setup.sh
# dpkg-shlibdeps finds the packages of the libraries the program links.
if ! command -v dpkg-shlibdeps >/dev/null; then
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends dpkg-dev
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB)
cp "$build"/quorvel_*.deb .
ls quorvel_*.deb
