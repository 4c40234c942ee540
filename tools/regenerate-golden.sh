#!/usr/bin/env bash
# Rewrites the reference images of tests/tst_golden.cpp from the current painting. Run it only
# after a change of the look that is meant, look at the new images, and commit them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset test >/dev/null
cmake --build --preset test --target tst_golden
PELLIMO_REGENERATE_GOLDEN=1 ctest --preset test -R '^tst_golden$'
git status --short tests/golden
