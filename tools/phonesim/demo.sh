#!/usr/bin/env bash
# ./run.sh --demo: the program with simulated phones.
#
#   tools/phonesim/demo.sh BUILD_DIR [program arguments...]
#
# Starts the phone simulator with a USB phone of a few hundred contacts and a
# WiFi phone on 127.0.0.2, puts the stand-in adb first on PATH, runs the
# program, and stops the simulator when the program exits. The phones live in
# BUILD_DIR/phonesim-demo and keep what the program writes to them between
# runs; PHONESIM_DEMO_FRESH=1 starts over with new phones.
set -euo pipefail

build=$(cd "${1:?usage: demo.sh BUILD_DIR [program arguments...]}" && pwd)
shift
sim="$build/tools/phonesim/phonesim"
state="$build/phonesim-demo"

if [ ! -x "$sim" ] || [ ! -x "$build/tools/phonesim/bin/adb" ]; then
    cmake --build "$build" --target phonesim phonesim_adb
fi

"$sim" stop "$state" 2>/dev/null || true
if [ "${PHONESIM_DEMO_FRESH:-0}" = 1 ]; then
    rm -rf "$state"
fi
if [ ! -d "$state/phones" ]; then
    "$sim" create "$state" \
        serial=R5CT1234ABC name="Pixel 7 (simulated)" contacts=350 seed=7 \
        + wifi=127.0.0.2 id=wifi-demo name="Galaxy S23 · Zoë" contacts=120 seed=8 >/dev/null
fi

# The simulator also stops by itself should this script die.
if ! "$sim" start "$state" --watch-pid $$ >/dev/null; then
    echo "demo: the phone simulator did not start (is 127.0.0.2:48888 in use?)" >&2
    exit 1
fi
trap '"$sim" stop "$state" || true' EXIT

export PATH="$build/tools/phonesim/bin:$PATH"
export PHONESIM_STATE="$state"

echo "demo: simulated phones (state folder $state):"
"$sim" list "$state" | sed 's/^/  /'
echo "demo: the USB phone appears by itself; connect the WiFi phone with the address 127.0.0.2"

set +e
"$build/app/quillmarrow" "$@"
status=$?
set -e
exit $status
