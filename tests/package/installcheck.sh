#!/usr/bin/env bash
# installcheck.sh <build-dir> <app-id> <version>
# Installs the build into a temporary prefix and checks what a desktop needs
# from it. Exits 77 (skipped) when the validators are not installed.
set -euo pipefail
build=$1 id=$2 version=$3

for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (packages desktop-file-utils and appstream)"
        exit 77
    fi
done

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() { echo "FAIL: $*"; failed=1; }

expected=(
    bin/quillmarrow
    bin/quillmarrow-cli
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    share/man/man1/quillmarrow.1.gz
    share/man/man1/quillmarrow-cli.1.gz
    share/quillmarrow/translations/en.qm
    share/quillmarrow/translations/de.qm
    share/doc/quillmarrow/copyright
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -f "$prefix/$file" ] || fail "missing $file"
done
[ -x "$prefix/bin/quillmarrow" ] || fail "bin/quillmarrow is not executable"

# Each icon is a PNG of its directory's size (width and height from the header).
for size in 16 22 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$icon" ] || continue
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$icon")
    [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$icon is ${w}x${h}"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
grep -q "^Icon=$id\$" "$prefix/share/applications/$id.desktop" || fail "the desktop entry names another icon"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml" \
    || fail "the metainfo launches another desktop entry"
for page in quillmarrow quillmarrow-cli; do
    gzip -t "$prefix/share/man/man1/$page.1.gz" || fail "the manual page of $page is not a gzip file"
    zgrep -q "Quillmarrow $version" "$prefix/share/man/man1/$page.1.gz" || fail "the manual page of $page names another version"
    # man's own check: no troff warnings (where man is installed).
    command -v man >/dev/null || continue
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the manual page of $page: $warnings"
done

# The installed program runs and tells its version; its help comes in the
# system's language from the installed catalogues.
out=$("$prefix/bin/quillmarrow" --version) || fail "--version exits with $?"
[ "$out" = "Quillmarrow $version" ] || fail "--version printed \"$out\""
english=$(LC_ALL=en_US.UTF-8 "$prefix/bin/quillmarrow" --help) || fail "--help exits with $?"
german=$(LC_ALL=de_DE.UTF-8 "$prefix/bin/quillmarrow" --help) || fail "--help in German exits with $?"
[ "$english" != "$german" ] || fail "--help reads the same under a German locale"
chosen=$(LC_ALL=de_DE.UTF-8 "$prefix/bin/quillmarrow" --language en --help) || fail "--language en exits with $?"
[ "$chosen" = "$english" ] || fail "--language en does not choose English"

[ "$failed" -eq 0 ] && echo "OK: every installed file is in place and valid"
exit "$failed"
