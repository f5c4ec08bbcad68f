#!/usr/bin/env bash
# Set up, build and start Quillmarrow.
set -euo pipefail
cd "$(dirname "$0")"
. tools/setup/common.sh

qm_ensure_packages "${QM_PACKAGES[@]}"
qm_build build
exec build/app/quillmarrow "$@"
