#!/usr/bin/env bash
# Set up, build and start Quillmarrow.
set -euo pipefail
cd "$(dirname "$0")"
. tools/setup/common.sh

qm_ensure_packages "${QM_PACKAGES[@]}"
qm_build build
if [ "${1:-}" = "--demo" ]; then
    shift
    exec tools/phonesim/demo.sh build "$@"
fi
exec build/app/quillmarrow "$@"
