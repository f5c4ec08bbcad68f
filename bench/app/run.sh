#!/usr/bin/env bash
# Main window panes benchmark: builds qm_bench_panes, runs it offscreen for
# 10,000 and 100,000 generated contacts and prints the figures.
#
#   bench/app/run.sh [build-dir]            (default: build)
#   QM_BENCH_SIZES="100000" bench/app/run.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
sizes=${QM_BENCH_SIZES:-"10000 100000"}

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target qm_bench_panes >/dev/null
bench="$build/bench/app/qm_bench_panes"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work"
unset XDG_DATA_HOME

for n in $sizes; do
    echo "running $n contacts..." >&2
    mkdir -p "$work/$n"
    # The first run writes the address book; the second is measured.
    HOME="$work/$n" "$bench" "$n" >/dev/null 2>&1
    HOME="$work/$n" "$bench" "$n" >"$work/result-$n.txt" 2>"$work/log-$n.txt" || { cat "$work/log-$n.txt" >&2; exit 1; }
done

awk -v sizes="$sizes" '
FNR == 1 { f++ }
{ v[f, $1] = $2 }
END {
    split("select_handler_ms select_to_shown_ms search_again_ms set_and_paint_ms page_paint_mean_ms page_paint_p95_ms page_paint_max_ms card_show_ms huge_card_show_ms huge_card_complete_ms photos decode_all_photos_ms rss_peak_mib", keys, " ")
    label["select_handler_ms"] = "select database: groups, search, list set"
    label["select_to_shown_ms"] = "select database until the list is painted"
    label["search_again_ms"] = "  of which: the database search (warm)"
    label["set_and_paint_ms"] = "  of which: list model set and painted"
    label["page_paint_mean_ms"] = "scroll: one page painted, mean"
    label["page_paint_p95_ms"] = "scroll: one page painted, 95th percentile"
    label["page_paint_max_ms"] = "scroll: one page painted, worst"
    label["card_show_ms"] = "card: show a contact and paint it"
    label["huge_card_show_ms"] = "card: 2,000 numbers, 500 e-mails, 216 KB note"
    label["huge_card_complete_ms"] = "  the same until its last line is in"
    label["photos"] = "contacts with a photo"
    label["decode_all_photos_ms"] = "(decoding every photo up front would take)"
    label["rss_peak_mib"] = "peak resident memory, MiB"
    n = split(sizes, size, " ")
    printf "%-46s", "figure"
    for (i = 1; i <= n; i++) printf " %12s", size[i]
    printf "\n"
    for (k = 1; k <= 13; k++) {
        printf "%-46s", label[keys[k]] (keys[k] ~ /_ms$/ ? " (ms)" : "")
        for (i = 1; i <= n; i++) printf " %12.1f", v[i, keys[k]]
        printf "\n"
    }
}' $(for n in $sizes; do echo "$work/result-$n.txt"; done)
