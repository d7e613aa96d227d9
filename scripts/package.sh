#!/usr/bin/env bash
# Builds the Debian package quillmark_<version>_amd64.deb into ./build and
# checks it with lintian when that is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
cpack -G DEB
deb=$(ls -t quillmark_*_amd64.deb | head -1)
echo "built build/$deb"
if ! command -v lintian >/dev/null && [ "$(id -u)" = 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends lintian
fi
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
