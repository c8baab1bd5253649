#!/bin/bash
# The .deb and the tarball as a user meets them:
#   - CPack makes both from the build;
#   - desktop-file-validate, appstreamcli and lintian (errors and warnings) pass on what the .deb holds;
#   - dpkg installs the .deb into a scratch root; its vexa-rhino-capture, started from /, renders
#     frames that match the reference ones, and its manual pages list every option;
#   - dpkg removes it again and leaves nothing behind;
#   - the tarball, unpacked and then moved elsewhere, renders the same frame.
#   install-package.sh BUILD_DIR SHOW_GOLDEN_TESTS WORK_DIR
set -u
[ $# -eq 3 ] || { echo "usage: install-package.sh BUILD_DIR SHOW_GOLDEN_TESTS WORK_DIR" >&2; exit 2; }
build=$1 golden_tests=$2 work=$3/install-package
fail() {
    echo "install-package: $*" >&2
    exit 1
}
rm -rf "$work" && mkdir -p "$work" || exit 1
# The programs' effect cache stays in the work folder.
export SHOW_EFFECT_CACHE_DIR=$work/cache

cpack --config "$build/CPackConfig.cmake" -G "DEB;TGZ" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -n 5 "$work/cpack.log")"
debs=("$work"/packages/vexa-rhino_*_amd64.deb)
tarballs=("$work"/packages/vexa-rhino-*-Linux-*.tar.gz)
[ -f "${debs[0]}" ] && [ -f "${tarballs[0]}" ] || fail "cpack made no .deb or no tarball: $(ls "$work/packages")"
deb=${debs[0]}

# What the desktop and the package tools say of it.
dpkg-deb -x "$deb" "$work/contents" || fail "dpkg-deb cannot unpack $deb"
desktop-file-validate "$work"/contents/usr/share/applications/*.desktop >"$work/desktop.log" 2>&1 ||
    fail "desktop-file-validate: $(cat "$work/desktop.log")"
appstreamcli validate --no-net "$work"/contents/usr/share/metainfo/*.metainfo.xml >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/appstream.log")"
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(grep -v '^running with root' "$work/lintian.log")"
grep -q '^Depends: .*libsdl2-2.0-0' <(dpkg-deb -f "$deb") || fail "Depends does not name SDL: $(dpkg-deb -f "$deb" Depends)"

# Installed into a root of its own (the libraries it needs come from this machine).
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log" && touch "$root/var/lib/dpkg/status" || exit 1
dpkg=(dpkg --root="$root" --log=/dev/null)
[ "$(id -u)" = 0 ] || dpkg+=(--force-not-root)
"${dpkg[@]}" --force-depends -i "$deb" >"$work/dpkg-install.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg-install.log")"
installed=$(mktemp -p "$work") && "${dpkg[@]}" -L vexa-rhino >"$installed" || fail "dpkg -L names nothing"

# Started from /, it finds its data beside itself, in ../share/vexa-rhino.
(cd / && "$root/usr/bin/vexa-rhino-capture" --beats 8,72 --size 320x180 --out "$work/frames") >"$work/capture.log" 2>&1 ||
    fail "the installed capture failed: $(cat "$work/capture.log")"
SHOW_GOLDEN_CANDIDATES=$work/frames "$golden_tests" --gtest_filter=GoldenFrameTest.FramesInAFolderMatchTheirReferences \
    >"$work/compare.log" 2>&1 || fail "the installed capture's frames differ: $(grep -A3 Failure "$work/compare.log")"

# Each manual page is there and holds every option of its --help.
for program in vexa-rhino vexa-rhino-capture vexa-rhino-fxcompile; do
    page=$root/usr/share/man/man1/$program.1.gz
    [ -f "$page" ] || fail "no manual page for $program"
    for option in $("$root/usr/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        zcat "$page" | sed 's/\\-/-/g' | grep -q -- "$option" || fail "the manual page of $program lacks $option"
    done
done

# Removed, it leaves none of its files and no folder of its own.
"${dpkg[@]}" -r vexa-rhino >"$work/dpkg-remove.log" 2>&1 || fail "dpkg -r: $(cat "$work/dpkg-remove.log")"
while read -r path; do
    [ -e "$root$path" ] && fail "dpkg -r left $path"
done <"$installed"
left=$(cd "$root" && find . -path ./var -prune -o -print | grep -v '^\.$')
[ -z "$left" ] || fail "dpkg -r left: $left"

# The tarball runs from wherever it is put, also after a move.
mkdir "$work/unpacked" && tar -xzf "${tarballs[0]}" -C "$work/unpacked" || fail "cannot unpack the tarball"
mv "$work"/unpacked/vexa-rhino-* "$work/moved" || fail "the tarball holds no vexa-rhino-* folder"
(cd / && "$work/moved/bin/vexa-rhino-capture" --beats 8 --size 320x180 --out "$work/frames-moved") >"$work/moved.log" 2>&1 ||
    fail "the moved tarball's capture failed: $(cat "$work/moved.log")"
SHOW_GOLDEN_CANDIDATES=$work/frames-moved "$golden_tests" --gtest_filter=GoldenFrameTest.FramesInAFolderMatchTheirReferences \
    >"$work/compare-moved.log" 2>&1 || fail "the moved tarball's frame differs: $(grep -A3 Failure "$work/compare-moved.log")"

echo "install-package: $(basename "$deb") and $(basename "${tarballs[0]}") install, run from / and remove cleanly"
