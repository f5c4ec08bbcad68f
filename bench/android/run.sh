#!/usr/bin/env bash
# Prints the phone-link benchmark figures. Builds what it needs first.
#   bench/android/run.sh [build-dir] [contacts]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
contacts=${2:-10000}
cmake --build "$build" --target qm_bench_encoding qm_bench_protocol qm_bench_send qm_bench_receive qm_bench_bridge phonesim phonesim_adb >/dev/null
export QT_QPA_PLATFORM=offscreen
echo "== readCommand on a loopback socket fed by the phone simulator (target: 300,000 lines/s)"
"$build/bench/android/qm_bench_protocol" "$contacts" 3 500
echo
echo "== Wire encoding (target: 1,000,000 entities/s)"
"$build/bench/android/qm_bench_encoding" 20000 5 2>/dev/null
echo
echo "== Receive job: a simulated phone's contacts into its cache database (contacts/s)"
"$build/bench/android/qm_bench_receive" "$contacts" 2>/dev/null
echo
echo "== Send job: new contacts onto a simulated phone (contacts/s)"
"$build/bench/android/qm_bench_send" "$contacts" 3 2>/dev/null
echo
echo "== Backup through the phone bridge (adb shell content) beside the agent, USB phones"
"$build/bench/android/qm_bench_bridge" 1000 10000 2>/dev/null
