#!/usr/bin/env bash
# Speed and memory of the contact file readers and writer, side by side with
# the peers on the same files in the same run:
#   - KDE's vCard library (Debian libkf5contacts-dev, Qt 5), through a tiny
#     program built here, outside the project's CMake;
#   - Python 3's csv module (its C reader).
#
# Besides the program's own CSV, 100,000-contact files in the Google
# Contacts and Outlook layouts (bench_files generate-layouts) are read by
# CSVImport and by Python's csv module: entities per contact, speed (goal:
# at least 2x Python) and the reader's own memory (goal: at most 1.5x the
# file size).
#
#   bench/files/run.sh [build dir, default build] [runs per measurement, default 3]
#
# The vCard reader is also set beside reading the file once (read-once: the
# file into memory, nothing parsed): goals at least 6x KDE's speed, at most
# 6x the read-once time, its own memory at most the file size.
#
# Address books of 10,000 and 100,000 generated contacts (a photo on one in
# twenty), written as vCard 3.0 and CSV by the program's own writers, and as
# vCard 3.0 shaped like Google's and Android's exports (bench_files
# generate-thirdparty-vcard: item groups, TYPE lists, folded lines, escapes,
# photos on one in twenty), which the three vCard readers also read. Each
# measurement is its own process; the fastest of the runs is shown, since a
# busy machine only ever adds time (peak memory: the largest). "cpu" is the
# measuring thread's CPU time, which a busy machine disturbs less than the
# wall clock. "own MB" is the peak less what the process held before the
# measured work began (Qt's libraries; for the writer, also the generated
# contacts), so "own/file" compares the reader's or writer's memory to the
# file size.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-3}

cmake --build "$build" --target bench_files >/dev/null
bench=$build/bench/files/bench_files
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
results=$work/results.txt
: >"$results"

kde=""
if pkg-config --exists Qt5Core Qt5Gui && [ -d /usr/include/KF5/KContacts ]; then
    g++ -O2 -std=c++17 -fPIC $(pkg-config --cflags Qt5Core Qt5Gui) -I/usr/include/KF5/KContacts \
        bench/files/kcontactspeer.cpp -o "$work/kcontactspeer" -lKF5Contacts $(pkg-config --libs Qt5Core Qt5Gui)
    kde=$work/kcontactspeer
else
    echo "KDE peer skipped: install libkf5contacts-dev (apt-get install libkf5contacts-dev)" >&2
fi
python=$(command -v python3 || true)

measure() {   # label, command...
    local label=$1
    shift
    echo "label=$label $("$@" 2>/dev/null)" >>"$results"
}

sizes=(10000 100000)
for n in "${sizes[@]}"; do
    QT_QPA_PLATFORM=offscreen "$bench" generate "$work" "$n" 2>/dev/null
    QT_QPA_PLATFORM=offscreen "$bench" generate-thirdparty-vcard "$work" "$n" 2>/dev/null
done
QT_QPA_PLATFORM=offscreen "$bench" generate-layouts "$work" 100000 2>/dev/null
layouts=(google outlook)
# Rounds of every measurement, so that a slow spell of the machine touches
# one sample of each rather than all samples of one.
for _ in $(seq "$runs"); do
    for n in "${sizes[@]}"; do
        cat "$work/contacts-$n.vcf" "$work/contacts-$n.csv" >/dev/null   # keep them in the page cache
        measure "vcard-read-$n" "$bench" vcard-read "$work/contacts-$n.vcf"
        [ -n "$kde" ] && measure "vcard-read-$n" "$kde" "$work/contacts-$n.vcf"
        measure "vcard-read-$n" "$bench" read-once "$work/contacts-$n.vcf"
        cat "$work/thirdparty-$n.vcf" >/dev/null
        measure "vcard-3p-read-$n" "$bench" vcard-read "$work/thirdparty-$n.vcf"
        [ -n "$kde" ] && measure "vcard-3p-read-$n" "$kde" "$work/thirdparty-$n.vcf"
        measure "vcard-3p-read-$n" "$bench" read-once "$work/thirdparty-$n.vcf"
        measure "vcard-write-$n" "$bench" vcard-write "$n" "$work/out.vcf"
        measure "csv-read-$n" "$bench" csv-read "$work/contacts-$n.csv"
        [ -n "$python" ] && measure "csv-read-$n" "$python" bench/files/pythoncsvpeer.py "$work/contacts-$n.csv"
    done
    for layout in "${layouts[@]}"; do
        cat "$work/$layout-100000.csv" >/dev/null
        measure "csv-$layout-100000" "$bench" csv-read "$work/$layout-100000.csv"
        [ -n "$python" ] && measure "csv-$layout-100000" "$python" bench/files/pythoncsvpeer.py "$work/$layout-100000.csv"
    done
done

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
python3 - "$results" <<'PY'
import sys
from collections import defaultdict

samples = defaultdict(lambda: defaultdict(list))
for line in open(sys.argv[1]):
    fields = dict(item.split("=", 1) for item in line.split())
    if "seconds" not in fields:
        continue
    s = samples[(fields["label"], fields["what"])]
    for name in ("seconds", "cpu_seconds", "peak_mb", "base_mb", "bytes", "contacts", "entities"):
        s[name].append(float(fields.get(name, 0)))
best = {}
for key, s in samples.items():
    best[key] = {"seconds": min(s["seconds"]), "cpu_seconds": min(s["cpu_seconds"]),
                 "peak_mb": max(s["peak_mb"]), "base_mb": min(s["base_mb"]),
                 "bytes": int(s["bytes"][0]), "contacts": int(s["contacts"][0]),
                 "entities": int(s["entities"][0])}

names = {"vcard-read": "VCardImport", "kcontacts-read": "KDE KContacts", "read-once": "read once", "vcard-write": "VCardExport",
         "csv-read": "CSVImport", "python-csv-read": "Python csv"}
print(f"{'measurement':<22}{'program':<15}{'MB':>7}{'wall s':>8}{'cpu s':>8}{'MB/s':>8}{'MB/s cpu':>9}"
      f"{'contacts/s':>12}{'peak MB':>9}{'own MB':>8}{'own/file':>9}")
for (label, what), b in sorted(best.items()):
    mb = b["bytes"] / 1e6
    own = b["peak_mb"] - b["base_mb"]
    print(f"{label:<22}{names.get(what, what):<15}{mb:>7.1f}{b['seconds']:>8.3f}{b['cpu_seconds']:>8.3f}"
          f"{mb / b['seconds']:>8.1f}{mb / b['cpu_seconds']:>9.1f}{b['contacts'] / b['seconds']:>12.0f}"
          f"{b['peak_mb']:>9.1f}{own:>8.1f}{own * 1048576 / 1e6 / mb if mb else 0:>9.2f}")

print()
def ratio(a, b, field):
    return best[a][field] / best[b][field] if a in best and b in best else float("nan")
def vcard_ratios(n, label, shape):
    read = (label, 'vcard-read')
    print(f"{n:>6} {shape}: KDE / VCardImport   wall {ratio((label, 'kcontacts-read'), read, 'seconds'):.2f}x"
          f"  cpu {ratio((label, 'kcontacts-read'), read, 'cpu_seconds'):.2f}x   (goal: at least 6x)")
    if read in best:
        b = best[read]
        own = (b["peak_mb"] - b["base_mb"]) * 1048576 / b["bytes"]
        print(f"{n:>6} {shape}: VCardImport / read once  wall {ratio(read, (label, 'read-once'), 'seconds'):.2f}x"
              f"  cpu {ratio(read, (label, 'read-once'), 'cpu_seconds'):.2f}x   (goal: at most 6x);"
              f" reader memory {own:.2f}x the file (goal: at most 1x)")
for n in (10000, 100000):
    vcard_ratios(n, f'vcard-read-{n}', 'own writer')
    vcard_ratios(n, f'vcard-3p-read-{n}', 'third-party')
    print(f"{n:>6}: Python / CSVImport  wall {ratio((f'csv-read-{n}', 'python-csv-read'), (f'csv-read-{n}', 'csv-read'), 'seconds'):.2f}x"
          f"  cpu {ratio((f'csv-read-{n}', 'python-csv-read'), (f'csv-read-{n}', 'csv-read'), 'cpu_seconds'):.2f}x"
          f"   (goal: at least 1x)")
for layout in ("google", "outlook"):
    key = f"csv-{layout}-100000"
    if (key, "csv-read") not in best:
        continue
    b = best[(key, "csv-read")]
    own = (b["peak_mb"] - b["base_mb"]) * 1048576 / b["bytes"]
    print(f"{layout:>8} layout: {b['entities'] / b['contacts']:.1f} entities per contact;"
          f" Python / CSVImport wall {ratio((key, 'python-csv-read'), (key, 'csv-read'), 'seconds'):.2f}x"
          f"  cpu {ratio((key, 'python-csv-read'), (key, 'csv-read'), 'cpu_seconds'):.2f}x (goal: at least 2x);"
          f" reader memory {own:.2f}x the file (goal: at most 1.5x)")
for what, label in (("vcard-read", "vcard-read"), ("vcard-read", "vcard-3p-read"), ("vcard-write", "vcard-write"),
                    ("csv-read", "csv-read")):
    shape = " (third-party)" if label == "vcard-3p-read" else ""
    print(f"100k/10k time ratio {names[what] + shape:<26} wall {ratio((f'{label}-100000', what), (f'{label}-10000', what), 'seconds'):.2f}"
          f"  cpu {ratio((f'{label}-100000', what), (f'{label}-10000', what), 'cpu_seconds'):.2f}   (goal: at most 11)")
PY
