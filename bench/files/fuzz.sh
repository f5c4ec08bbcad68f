#!/usr/bin/env bash
# Builds the libFuzzer targets of the file readers with clang (build-fuzz/,
# AddressSanitizer and UndefinedBehaviorSanitizer on) and runs each one for
# the given time, one after the other.
#
#   bench/files/fuzz.sh [seconds per target, default 600] [vcardreader|csvreader ...]
#
# Inputs that crash end up in build-fuzz/fuzz/crashes-<target>/; keep them
# as regression inputs in tests/data/files/fuzz/ once fixed.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(vcardreader csvreader)

dir=build-fuzz
if [ ! -f "$dir/build.ninja" ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja \
        -DQM_FUZZ=ON -DQM_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" --parallel 2 --target "${targets[@]/#/fuzz_}"

corpus_root=${QM_CORPUS_DIR:-../shared/corpus}
for target in "${targets[@]}"; do
    case $target in
        vcardreader) ext=vcf; shared=$corpus_root/vcard ;;
        csvreader) ext=csv; shared=$corpus_root/csv ;;
        *) echo "unknown target $target" >&2; exit 2 ;;
    esac
    work=$dir/fuzz/corpus-$target
    crashes=$dir/fuzz/crashes-$target
    seeds=$dir/fuzz/seeds-$target
    mkdir -p "$work" "$crashes" "$seeds"
    if [ -d tests/data/files ]; then find tests/data/files -name "*.$ext" -exec cp {} "$seeds/" \; ; fi
    if [ -d "$shared" ]; then cp "$shared"/*."$ext" "$seeds/"; fi
    echo "== fuzz_$target for ${seconds}s"
    "$dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" "$work" "$seeds"
done
