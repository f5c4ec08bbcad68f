#!/usr/bin/env bash
# Set up, build and make the Debian package build/quillmarrow_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")"
. tools/setup/common.sh

qm_ensure_packages "${QM_PACKAGES[@]}" dpkg-dev
qm_build build
cd build
cpack -G DEB
ls -1 "$PWD"/quillmarrow_*.deb
