#!/usr/bin/env bash
# Builds sondrix and starts it from build/bin, where it finds its loaders in FIRMWARE/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
cd build/bin
exec ./sondrix "$@"
