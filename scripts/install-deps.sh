#!/usr/bin/env bash
# Installs the Debian 12 packages Quillmark needs to build, run and test.
set -euo pipefail
packages=(build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev libqt6sql6-sqlite zlib1g-dev libgl-dev
  libuemf-dev fonts-dejavu-core fonts-liberation2
  xvfb xauth xdotool x11-utils imagemagick poppler-utils
  file emf2svg libwmf-bin fonts-urw-base35)
# The fuzzing build (-DQM_FUZZ=ON) needs clang with libFuzzer: QM_FUZZ=1 ./install-deps.sh
if [ "${QM_FUZZ:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
