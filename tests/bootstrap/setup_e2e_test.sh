#!/usr/bin/env bash
# The road a user takes, end to end, in a temporary HOME and temporary folder (paths with
# spaces): the distributable extracts into $TMP/KIT (TEMP empty) and starts install.exe; the
# installed program starts on the seeded data folder; a reinstall keeps the user's own files;
# the uninstaller removes the program and the menu entry and keeps the data folder.
#   setup_e2e_test.sh SAVOREL_SETUP PACKED_BOOK_DIR SEED_SCRIPT
set -uo pipefail
setup=$1 book=$2 seed=$3
source "$(dirname "$0")/checks.sh"

root=$(mktemp -d "${TMPDIR:-/tmp}/savorel-e2e.XXXXXX")
cook_pid=
cleanup() {
    if [ -n "$cook_pid" ]; then kill "$cook_pid" 2>/dev/null; fi
    rm -rf -- "$root"
}
trap cleanup EXIT

export HOME="$root/home dir"
mkdir -p "$HOME" "$root/tmp dir" "$root/down load"
unset XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY TMPDIR
export TEMP= TMP="$root/tmp dir" QT_QPA_PLATFORM=offscreen SAVOREL_NO_DIALOG=1
kit=$TMP/KIT
program="$root/down load/savorel setup"
cp -- "$setup" "$program"

run_setup() {
    rm -f -- "$kit/install.log"
    (cd "$root" && timeout 60 "$program") >"$root/setup.out" 2>&1
    check "the bootstrap ends by itself" [ $? -eq 0 ]
    # install.exe runs detached; its report in the KIT folder comes last.
    check "install.exe ran and reported" wait_for "$kit/install.log" 60
}

prog=$HOME/.local/lib/savorel
data=$HOME/.local/share/savorel
entry=$HOME/.local/share/applications/savorel.desktop

run_setup
check "the KIT folder is under TMP" [ -f "$kit/install.exe" ] && [ -f "$kit/cook.xxx" ]
check "the installed program is the carried one" cmp -s "$kit/cook.xxx" "$prog/cook"
check "the program can run" [ -x "$prog/cook" ]
check "the installer seeds with the project's one seeding script" cmp -s "$seed" "$prog/seed-data.sh"
all_book_files() {
    local f
    for f in "$book"/*; do
        cmp -s -- "$f" "$1/${f##*/}" || return 1
    done
}
check "the data folder holds the book" all_book_files "$data"
check "the KIT folder holds the book" all_book_files "$kit"
check "the report names the data folder" grep -qF "Datele tale: $data" "$kit/install.log"
check "the menu entry works in the data folder" grep -qxF "Path=$data" "$entry"
check "the menu entry starts the launcher" grep -qxF "Exec=\"$prog/savorel\"" "$entry"
icon=$(sed -n 's/^Icon=//p' "$entry")
check "the menu entry's icon exists" [ -s "$icon" ]
check "the command savorel is there" [ -x "$HOME/.local/bin/savorel" ]

# Start what the menu entry starts, where it starts it; cook records its temporary folder in
# cook.ini of the folder it runs in.
exec_path=$(sed -n 's/^Exec="\(.*\)"$/\1/p' "$entry")
(cd "$data" && exec "$exec_path") >"$root/cook.out" 2>&1 &
cook_pid=$!
check "the installed program starts on the data folder" wait_for "$data/cook.ini" 30
check "and is still running" kill -0 "$cook_pid"
check "cook.ini names TMP" [ "$(cat "$data/cook.ini" 2>/dev/null)" = "$TMP/" ]
kill "$cook_pid" 2>/dev/null
wait "$cook_pid" 2>/dev/null
cook_pid=

# Reinstall over a data folder the user has worked in.
printf 'my favourite\n' >>"$data/pref.txt"
printf 'my catalogue line\n' >>"$data/virt-dir.txt"
printf 'my recipe\n' >"$data/xet1.txt"
printf 'my record\n' >"$data/pers.txt"
cp -- "$data/pref.txt" "$root/pref.saved"
cp -- "$data/virt-dir.txt" "$root/virt-dir.saved"
rm -- "$data/dict.txt"
printf 'mine\n' >"$kit/mine.txt"
run_setup
check "reinstall keeps the favourites" cmp -s "$data/pref.txt" "$root/pref.saved"
check "reinstall keeps the catalogue lines" cmp -s "$data/virt-dir.txt" "$root/virt-dir.saved"
check "reinstall keeps own recipes" [ "$(cat "$data/xet1.txt")" = "my recipe" ]
check "reinstall keeps pers.txt" [ "$(cat "$data/pers.txt")" = "my record" ]
check "reinstall brings back a lost book file" cmp -s "$book/dict.txt" "$data/dict.txt"
check "the KIT folder keeps its other files" [ "$(cat "$kit/mine.txt")" = "mine" ]

# Uninstall with the installed uninstaller.
"$prog/un.xxx" >"$root/un.out" 2>&1
check "the uninstaller succeeds" [ $? -eq 0 ]
check "it names the data folder" grep -qxF "$data" "$root/un.out"
check "the program is gone" [ ! -e "$prog" ]
check "the command is gone" [ ! -e "$HOME/.local/bin/savorel" ] && [ ! -L "$HOME/.local/bin/savorel" ]
check "the menu entry is gone" [ ! -e "$entry" ]
check "the icon is gone" [ ! -e "$icon" ]
check "the data folder remains" [ "$(cat "$data/xet1.txt")" = "my recipe" ] && all_book_files "$data"

if [ "$failures" -ne 0 ]; then
    echo "--- bootstrap and installer output"; cat "$root/setup.out"
    echo "--- cook output"; cat "$root/cook.out" 2>/dev/null
fi
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
