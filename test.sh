#!/usr/bin/env bash
# Set up, build and run the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
. tools/setup/common.sh

qm_ensure_packages "${QM_PACKAGES[@]}"
qm_build build
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
