#!/usr/bin/env bash
# The seeding script: a new data folder gets the whole book at once; an existing one keeps
# every file it has (the user's recipes, pers.txt, catalogue, favourites) and only gets the
# book files it lacks, names compared ignoring case.
#   seed_data_test.sh SEED_SCRIPT PACKED_BOOK_DIR
set -uo pipefail
seed=$1 book=$2
source "$(dirname "$0")/checks.sh"
same_folder_as_book() { # DATA
    local f
    for f in "$book"/*; do
        cmp -s -- "$f" "$1/${f##*/}" || return 1
    done
}

root=$(mktemp -d "${TMPDIR:-/tmp}/seed-test.XXXXXX")
trap 'rm -rf -- "$root"' EXIT
export HOME="$root/home dir"
mkdir -p "$HOME"
unset XDG_DATA_HOME

# A new folder, under $XDG_DATA_HOME.
export XDG_DATA_HOME="$root/xdg data"
out=$("$seed" "$book")
check "prints the data folder" [ "$out" = "$XDG_DATA_HOME/savorel" ]
data=$out
check "a new folder holds the whole book" same_folder_as_book "$data"
check "the new folder is private" [ "$(stat -c %a -- "$data")" = 700 ]
check "no seeding leftovers" [ -z "$(find "$XDG_DATA_HOME" -name '.savorel-seed.*' -o -name '*.seed-part')" ]

# The user's changes survive a second seeding; lost book files come back.
printf 'my favourite\n' >>"$data/pref.txt"
printf 'my catalogue line\n' >>"$data/virt-dir.txt"
printf 'my recipe\n' >"$data/xet1.txt"
printf 'my record\n' >"$data/pers.txt"
rm -- "$data/dict.txt"
mv -- "$data/zcalorii.txt" "$data/ZCALORII.TXT"
cp -p -- "$data/pref.txt" "$root/pref.saved"
cp -p -- "$data/virt-dir.txt" "$root/virt-dir.saved"
out=$("$seed" "$book")
check "same folder the second time" [ "$out" = "$data" ]
check "favourites kept" cmp -s "$data/pref.txt" "$root/pref.saved"
check "catalogue with the user's lines kept" cmp -s "$data/virt-dir.txt" "$root/virt-dir.saved"
check "own recipe kept" [ "$(cat "$data/xet1.txt")" = "my recipe" ]
check "pers.txt kept" [ "$(cat "$data/pers.txt")" = "my record" ]
check "a lost book file comes back" cmp -s "$book/dict.txt" "$data/dict.txt"
check "a book file present in other case is not doubled" [ ! -e "$data/zcalorii.txt" ]

# XDG_DATA_HOME that is not absolute is ignored.
export XDG_DATA_HOME="relative/path"
out=$(cd "$root" && "$seed" "$book")
check "relative XDG_DATA_HOME ignored" [ "$out" = "$HOME/.local/share/savorel" ]
check "default folder seeded" same_folder_as_book "$HOME/.local/share/savorel"
check "nothing made under the relative path" [ ! -e "$root/relative" ]

# Refusals.
"$seed" >/dev/null 2>&1
check "no argument: usage, status 2" [ $? -eq 2 ]
"$seed" "$root/no book" >/dev/null 2>&1
check "no book folder: status 1" [ $? -eq 1 ]
export XDG_DATA_HOME="$root/blocked"
mkdir -p "$XDG_DATA_HOME"
printf 'not a folder' >"$XDG_DATA_HOME/savorel"
"$seed" "$book" >/dev/null 2>&1
check "a file where the folder should be: status 1" [ $? -eq 1 ]
check "and the file is untouched" [ "$(cat "$XDG_DATA_HOME/savorel")" = "not a folder" ]

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
