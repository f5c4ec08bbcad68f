#!/usr/bin/env bash
# Entity lines per second of the phone simulator's backup and restore
# exchanges. Usage: bench/phonesim/bench.sh [build-dir] [contacts] [runs]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cmake --build "$build" --target phonesim_exchangebench phonesim phonesim_adb >/dev/null
"$build/bench/phonesim/phonesim_exchangebench" "${2:-10000}" "${3:-3}"
