#!/usr/bin/env bash
# Speed of the export and import jobs and of PDF printing:
#   - export of generated contacts to vCard, CSV, text and HTML (MB/s);
#   - import from the vCard and the CSV file into a new database, end to
#     end, beside parsing alone and the raw SQLite insert of the same rows
#     (contacts/s), with the budget "parse + 1.3 x raw insert"; besides the
#     program's own files, a vCard shaped like Google's and Android's
#     exports and a CSV in Google's layout of the same count;
#   - a PDF of the first printed contacts (pages/s).
#
#   bench/files/exportimport.sh [build dir, default build] [contacts, default 100000] [printed, default 1000]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
count=${2:-100000}
printed=${3:-1000}
cmake --build "$build" --target bench_exportimport >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/files/bench_exportimport" "$count" "$printed" 2>/dev/null
