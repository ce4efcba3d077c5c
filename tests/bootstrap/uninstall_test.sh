#!/usr/bin/env bash
# un.xxx on its own, in a temporary HOME laid out as install.exe leaves it: it removes what the
# installer put there and the folders it made once they are empty, and nothing that a record
# edited by hand names anywhere else, nor someone else's files under the installer's names.
#   uninstall_test.sh UN_XXX
set -uo pipefail
un=$1
source "$(dirname "$0")/checks.sh"

root=$(mktemp -d "${TMPDIR:-/tmp}/savorel-un.XXXXXX")
trap 'rm -rf -- "$root"' EXIT
unset XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY
export SAVOREL_NO_DIALOG=1

# An installation as install.exe makes it, in HOME; the record holds the given extra lines.
install_fake() { # HOME EXTRA_RECORD_LINES
    local home=$1 prog=$1/.local/lib/savorel share=$1/.local/share
    mkdir -p "$prog" "$1/.local/bin" "$share/applications" "$share/icons/hicolor/scalable/apps" \
        "$share/savorel"
    printf '#!/bin/sh\n' >"$prog/savorel"
    ln -s "$prog/savorel" "$1/.local/bin/savorel"
    printf '[Desktop Entry]\nExec="%s"\n' "$prog/savorel" >"$share/applications/savorel.desktop"
    printf '<svg/>' >"$share/icons/hicolor/scalable/apps/savorel.svg"
    printf 'my recipe' >"$share/savorel/xet1.txt"
    {
        printf 'file %s\n' "$1/.local/bin/savorel" "$share/applications/savorel.desktop" \
            "$share/icons/hicolor/scalable/apps/savorel.svg"
        printf 'data %s\n' "$share/savorel"
        printf 'folder %s\n' "$1/.local" "$1/.local/bin" "$1/.local/lib" "$prog" "$share" \
            "$share/applications" "$share/icons" "$share/icons/hicolor" \
            "$share/icons/hicolor/scalable" "$share/icons/hicolor/scalable/apps"
        printf '%s\n' "$2"
    } >"$prog/installed"
}

# A plain uninstall: everything the installer made goes, folders included, the data stays.
home="$root/plain home"
install_fake "$home" ""
HOME=$home bash "$un" >"$root/out" 2>&1
check "a plain uninstall succeeds" [ $? -eq 0 ]
check "it names the data folder" grep -qxF "$home/.local/share/savorel" "$root/out"
for gone in .local/lib .local/bin .local/share/applications .local/share/icons; do
    check "$gone is gone" [ ! -e "$home/$gone" ]
done
check "the data folder stays" [ "$(cat "$home/.local/share/savorel/xet1.txt")" = "my recipe" ]

# A record edited by hand, and someone else's files under the installer's names.
home="$root/edited home"
mkdir -p "$home/notes" "$root/elsewhere/applications" "$root/elsewhere/icons/hicolor/scalable/apps" \
    "$root/empty outside" "$home/.local/share/mine"
printf 'keep' >"$home/notes/savorel"
printf 'keep' >"$root/elsewhere/applications/savorel.desktop"
printf 'keep' >"$root/elsewhere/icons/hicolor/scalable/apps/savorel.svg"
printf 'keep' >"$home/.local/share/mine/list"
install_fake "$home" "file $home/notes/savorel
file $root/elsewhere/applications/savorel.desktop
file $root/elsewhere/icons/hicolor/scalable/apps/savorel.svg
file $home/.local/share/../notes/savorel
file /etc/passwd
folder $root/empty outside
folder $home/.local/share/mine"
# The command is not the installer's link but a program of the user's.
rm "$home/.local/bin/savorel" && printf 'mine' >"$home/.local/bin/savorel"
HOME=$home bash "$un" >"$root/out" 2>&1
check "an uninstall with an edited record succeeds" [ $? -eq 0 ]
for kept in "$home/notes/savorel" "$root/elsewhere/applications/savorel.desktop" \
    "$root/elsewhere/icons/hicolor/scalable/apps/savorel.svg" "$home/.local/bin/savorel" \
    "$home/.local/share/mine/list"; do
    check "$kept stays" [ -s "$kept" ]
done
check "an empty folder outside ~/.local stays" [ -d "$root/empty outside" ]
check "the folder holding the user's command stays" [ -d "$home/.local/bin" ]
check "the program and the installer's menu entry are gone" \
    [ ! -e "$home/.local/lib/savorel" ] && [ ! -e "$home/.local/share/applications" ]

# Without a record: the places install.exe uses, still only when what stands there is its own.
home="$root/no record"
install_fake "$home" ""
rm "$home/.local/lib/savorel/installed"
printf '[Desktop Entry]\nExec=/usr/bin/other\n' >"$home/.local/share/applications/savorel.desktop"
HOME=$home bash "$un" >"$root/out" 2>&1
check "an uninstall without a record succeeds" [ $? -eq 0 ]
check "its command link is gone" [ ! -e "$home/.local/bin/savorel" ] && [ ! -L "$home/.local/bin/savorel" ]
check "its icon is gone" [ ! -e "$home/.local/share/icons/hicolor/scalable/apps/savorel.svg" ]
check "another program's menu entry under its name stays" \
    grep -q other "$home/.local/share/applications/savorel.desktop"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
