#!/usr/bin/env bash
# The Debian package of this build: cpack -G DEB, its dependencies and files, and its
# command started as a user with no data folder yet: seeded, cook runs in it. The package is
# made once, in BUILD_DIR/deb-package, and made again only when something it carries or its
# recipe is newer than it.
#   deb_package_test.sh BUILD_DIR SOURCE_FILE...   (the source files the package carries)
set -uo pipefail
build=$1
shift
source "$(dirname "$0")/checks.sh"

root=$(mktemp -d "${TMPDIR:-/tmp}/savorel-deb.XXXXXX")
cook_pid=
cleanup() {
    if [ -n "$cook_pid" ]; then kill "$cook_pid" 2>/dev/null; fi
    rm -rf -- "$root"
}
trap cleanup EXIT

pkg=$build/deb-package
deb=$(find "$pkg" -maxdepth 1 -name 'savorel_*.deb' 2>/dev/null | head -1)
stale="no package yet"
# Files only: CMake makes the link savorel-cookbook, and so its folder, anew at each configure.
if [ -n "$deb" ]; then
    stale=$(find "$build/CPackConfig.cmake" "$build/cmake_install.cmake" "$build/src/cmake_install.cmake" \
        "$build/src/cook" "$build/src/cookbook" "$build/data.stamp" "$build/packaging" "$@" \
        -type f -newer "$deb" -print -quit 2>&1)
fi
if [ -n "$stale" ]; then
    rm -rf -- "$pkg.new"
    if ! (cd "$build" && cpack -G DEB -B "$pkg.new" --config CPackConfig.cmake) >"$root/cpack.out" 2>&1; then
        cat "$root/cpack.out"
        echo "FAILED: cpack -G DEB"
        exit 1
    fi
    rm -rf -- "$pkg" && mv -T -- "$pkg.new" "$pkg"
    echo "packaging: $stale"
fi
deb=$(find "$pkg" -maxdepth 1 -name 'savorel_*.deb' | head -1)
check "a package is made" [ -n "$deb" ]

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libqt6widgets6 libqt6printsupport6 libqt6svg6 libc6 qt6-qpa-plugins; do
    check "depends on $p" grep -q "$p" <<<"$depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for f in ./usr/lib/savorel/cook ./usr/lib/savorel/cookbook ./usr/lib/savorel/seed-data.sh \
    ./usr/bin/savorel ./usr/bin/savorel-cookbook ./usr/share/savorel/book/virt-dir.txt \
    ./usr/share/applications/savorel.desktop ./usr/share/icons/hicolor/scalable/apps/savorel.svg; do
    check "carries $f" grep -qxF "$f" <<<"$contents"
done
check "carries the whole book" [ "$(grep -c '^./usr/share/savorel/book/.' <<<"$contents")" -eq \
    "$(find "$build/data" -maxdepth 1 -type f | wc -l)" ]
lacks() { ! grep -qxF "$1" <<<"$contents"; }
check "no /usr/bin/cook to clash with Debian's cook" lacks ./usr/bin/cook

dpkg-deb -x "$deb" "$root/fs"
entry=$root/fs/usr/share/applications/savorel.desktop
check "the menu entry runs the command savorel" grep -qxF "Exec=savorel" "$entry"
check "the menu entry names the icon" grep -qxF "Icon=savorel" "$entry"

# The menu entry's command, for a user who never ran it: seeds their folder, runs cook there.
export HOME="$root/home dir"
mkdir -p "$HOME" "$root/tmp"
unset XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY
export TMP="$root/tmp" QT_QPA_PLATFORM=offscreen
data=$HOME/.local/share/savorel
(cd / && exec "$root/fs/usr/bin/savorel") >"$root/cook.out" 2>&1 &
cook_pid=$!
check "first start seeds the data folder and cook runs in it" wait_for "$data/cook.ini" 30
check "the seeded folder holds the catalogue" cmp -s "$build/data/virt-dir.txt" "$data/virt-dir.txt"
check "cook is still running" kill -0 "$cook_pid"
kill "$cook_pid" 2>/dev/null
wait "$cook_pid" 2>/dev/null
cook_pid=
"$root/fs/usr/bin/savorel-cookbook" --data "$data" list >/dev/null 2>&1
check "savorel-cookbook reads the data folder" [ $? -eq 0 ]

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
