#!/usr/bin/env bash
# Fails when a tracked C++ file is not as clang-format writes it, so the tree stays formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
