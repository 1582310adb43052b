#!/usr/bin/env bash
# Builds and runs every test, first in the default preset, then under the sanitizers, then runs
# every fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-format.sh
for preset in default asan; do
  echo "=== preset ${preset}"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
echo "=== fuzz"
bash scripts/fuzz.sh
