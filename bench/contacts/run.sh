#!/usr/bin/env bash
# Local database benchmark: builds qm_bench_contacts, runs every phase for
# 10,000 and 100,000 generated contacts and prints the figures.
#
#   bench/contacts/run.sh [build-dir]        (default: build)
#   QM_BENCH_SIZES="10000 100000" bench/contacts/run.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
sizes=${QM_BENCH_SIZES:-"10000 100000"}

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target qm_bench_contacts >/dev/null
bench="$build/bench/contacts/qm_bench_contacts"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work}"
results="$work/results.txt"

for n in $sizes; do
    echo "running $n contacts..." >&2
    "$bench" baseline "$n" "$work/plain-$n.db" >>"$results"
    "$bench" backup "$n" "$work/local-$n.db" >>"$results"
    "$bench" again "$n" "$work/local-$n.db" >>"$results"
    "$bench" search "$n" "$work/local-$n.db" >>"$results"
    "$bench" readback "$n" "$work/local-$n.db" >>"$results"
done

awk -v sizes="$sizes" '
{ t[$1, $2] = $3; peak[$1, $2] = $4; before[$1, $2] = $5; check[$1, $2] = $6 }
END {
    names["backup"] = "(1) backup job, new database"
    names["again"] = "(2) backup job again, all merged"
    names["search"] = "(3) searchContacts(0, \"\")"
    names["baseline"] = "(4) plain prepared inserts"
    names["readback"] = "    plain read-back of the join"
    split("backup again search baseline readback", order, " ")
    n = split(sizes, size, " ")
    printf "%-34s %8s %9s %12s %10s %10s  %s\n", "phase", "contacts", "seconds", "contacts/s", "peak MiB", "before", "check"
    for (i = 1; i <= n; i++) {
        for (j = 1; j <= 5; j++) {
            p = order[j]; s = size[i]
            printf "%-34s %8d %9.3f %12.0f %10.1f %10.1f  %s\n", names[p], s, t[p, s], s / t[p, s], peak[p, s], before[p, s], check[p, s]
        }
    }
    print ""
    print "time ratios (goal in brackets)"
    for (i = 1; i <= n; i++) {
        s = size[i]
        printf "  %6d: (1)/(4) = %.2f [<= 2]   (2)/(1) = %.2f [<= 1]   (3)/read-back = %.2f [<= 3]\n", s,
               t["backup", s] / t["baseline", s], t["again", s] / t["backup", s], t["search", s] / t["readback", s]
    }
    s = size[n]
    printf "  target at %d: (1) >= 20000 contacts/s -> %.0f/s %s; (2) no slower than (1) -> %.2f %s\n", s,
           s / t["backup", s], (s / t["backup", s] >= 20000 ? "met" : "NOT MET"),
           t["again", s] / t["backup", s], (t["again", s] <= t["backup", s] ? "met" : "NOT MET")
    if (n >= 2) {
        a = size[1]; b = size[n]
        base = t["baseline", b] / t["baseline", a]
        printf "  growth %d/%d: (1) %.1fx  (2) %.1fx  (3) %.1fx   [<= baseline (4) %.1fx; read-back %.1fx]\n", b, a,
               t["backup", b] / t["backup", a], t["again", b] / t["again", a], t["search", b] / t["search", a],
               base, t["readback", b] / t["readback", a]
    }
    print "peak MiB is the phase'"'"'s own high-water mark; before = resident size when it started"
    print "(the generated address book, or nothing for the read phases)"
}' "$results"
