#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh              Release tree in build/
#   ./test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer tree in build-sanitize/
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  "$top/scripts/setup.sh" "$build" -DQM_SANITIZE=ON
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build=build
  "$top/scripts/setup.sh" "$build"
fi
cd "$top/$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
