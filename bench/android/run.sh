#!/usr/bin/env bash
# Prints the phone-link benchmark figures. Builds what it needs first.
#   bench/android/run.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cmake --build "$build" --target qm_bench_encoding >/dev/null
export QT_QPA_PLATFORM=offscreen
echo "== Wire encoding (target: 1,000,000 entities/s)"
"$build/bench/android/qm_bench_encoding" 20000 5 2>/dev/null
