#!/usr/bin/env bash
# Starts the main window maximized 20 times under a virtual display with the
# openbox window manager and checks that every start ends with the same pane
# and column sizes, those of the resize rule for the final width:
#     tools/desktop/startlayout.sh [build-dir] [starts]
# Needs xvfb-run and openbox (Debian packages xvfb and openbox); exits 77
# when they are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
starts=${2:-20}
for tool in xvfb-run openbox; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (Debian packages xvfb and openbox)"
        exit 77
    fi
done
cmake --build "$build" --target startlayoutprobe >/dev/null
probe=$PWD/$build/tests/app/startlayoutprobe

session=$(mktemp)
trap 'rm -f "$session"' EXIT
cat >"$session" <<SESSION
openbox &
sleep 1
for i in \$(seq $starts); do "$probe" 1500; done
SESSION
results=$(HOME=$(mktemp -d) xvfb-run -a -s "-screen 0 1600x900x24" bash "$session" 2>/dev/null | grep '^width=')
echo "$results" | sort | uniq -c
count=$(echo "$results" | grep -c .)
[ "$count" -eq "$starts" ] || { echo "FAIL: $count of $starts starts reported"; exit 1; }
[ "$(echo "$results" | sort -u | wc -l)" -eq 1 ] || { echo "FAIL: the layout differs between starts"; exit 1; }
# The rule: tree 220, list and card (w - 220) / 2 each (a pixel may go to the
# splitter's handles), columns 0.4, 0.2, 0.2 of the list less 23.
read -r w tree list card c0 c1 c2 < <(echo "$results" | head -n 1 | sed 's/[^0-9]/ /g')
x=$(( (w - 220) / 2 ))
c=$(( x - 23 ))
ok=1
[ $(( tree - 220 )) -ge -1 ] && [ $(( tree - 220 )) -le 1 ] || ok=0
[ $(( list - x )) -ge -1 ] && [ $(( list - x )) -le 1 ] || ok=0
[ "$c0" -eq $(( c * 4 / 10 )) ] && [ "$c1" -eq $(( c * 2 / 10 )) ] && [ "$c2" -eq $(( c * 2 / 10 )) ] || ok=0
[ "$ok" -eq 1 ] || { echo "FAIL: sizes do not follow the rule for width $w (tree $tree, list $list, columns $c0 $c1 $c2)"; exit 1; }
echo "OK: $starts starts, all at width $w with the rule's sizes"
