#!/usr/bin/env bash
# Installs what is missing, builds the Release tree in build/ and starts Quillmend.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh" build
exec "$top/build/bin/quillmend" "$@"
