#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   --sanitize   the same suite built with AddressSanitizer and UBSan into
#                build-asan/ (lean: -O1, -g1, no benchmarks or fuzz targets)
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=0
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=1 ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
  esac
done
bash scripts/install-deps.sh
if [ "$sanitize" = 0 ]; then
  bash scripts/build.sh
  cd build
  ctest -j"$(nproc)" --output-on-failure --timeout 600
  exit
fi

start=$(date +%s)
# Set before building: the build runs some of its own tools (the delivered
# database, the icons), and they are sanitized too. Leaks are reported and
# fail the test that made them; no leak is suppressed.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DQM_SANITIZE=ON -DQM_BENCH=OFF -DQM_FUZZ=OFF
cmake --build build-asan -j"$(nproc)"
built=$(date +%s)
cd build-asan
ctest -j"$(nproc)" --output-on-failure
echo "sanitizer build $((built - start)) s, tests $(($(date +%s) - built)) s"
