#!/usr/bin/env bash
# The Debian package's round trip, for CI machines where we are root: build
# the package (../../package.sh), install it with apt as a user would, run
# the installed program, then remove it and check that none of its files is
# left. Exits 77 (skipped) with a message when not root or when the Debian
# tools are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing a package needs root; run this as root (or in a container)."
    exit 77
fi
for tool in apt-get dpkg dpkg-deb; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed; this check needs a Debian system."
        exit 77
    fi
done
if dpkg-query -W -f='${Status}' quillmarrow 2>/dev/null | grep -q 'install ok installed'; then
    echo "FAIL: quillmarrow is already installed here; remove it first (apt-get remove quillmarrow)."
    exit 1
fi

./package.sh
deb=$(ls -1t build/quillmarrow_*.deb | head -n 1)
version=$(dpkg-deb -f "$deb" Version)
echo "== $deb"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends

echo "== apt-get install ./$deb"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends "./$deb"

echo "== quillmarrow --version"
out=$(quillmarrow --version)
echo "$out"
if [ "$out" != "Quillmarrow $version" ]; then
    echo "FAIL: expected \"Quillmarrow $version\""
    apt-get remove --purge -y quillmarrow >/dev/null
    exit 1
fi
files=$(dpkg -L quillmarrow | while read -r path; do [ -f "$path" ] && echo "$path"; done)

echo "== apt-get remove --purge quillmarrow"
apt-get remove --purge -y quillmarrow
left=0
for path in $files; do
    if [ -e "$path" ]; then
        echo "FAIL: left behind: $path"
        left=1
    fi
done
[ "$left" -eq 0 ] || exit 1
echo "OK: installed, ran and removed cleanly"
