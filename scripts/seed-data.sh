#!/usr/bin/env bash
# Seeds the user's data folder from a packed book folder and prints the folder's path.
#
#   scripts/seed-data.sh PACKED_BOOK_DIR
#
# The data folder is $XDG_DATA_HOME/savorel (by default ~/.local/share/savorel). A folder that
# does not exist yet is filled with the whole book and appears at once, complete. One that
# exists already keeps every file it has: the user's own recipes (xet*.txt), pers.txt, the
# catalogue with their lines, pref.txt with their favourites. Only book files missing from
# it, compared ignoring case as cook opens them, are copied in.
# The one seeding rule: ./run.sh, the installer and the installed launchers all call this.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: seed-data.sh PACKED_BOOK_DIR" >&2
    exit 2
fi
book=$1 # a folder, or a link to one: the installer names its book by a link (find -H)
if [ ! -d "$book" ]; then
    echo "seed-data.sh: $book is not a folder" >&2
    exit 1
fi

# XDG: a value that is not an absolute path is to be ignored.
base=${XDG_DATA_HOME:-}
case $base in
/*) ;;
*)
    if [ -z "${HOME:-}" ]; then
        echo "seed-data.sh: HOME is not set" >&2
        exit 1
    fi
    base=$HOME/.local/share
    ;;
esac
data=$base/savorel

if [ ! -e "$data" ] && [ ! -L "$data" ]; then
    mkdir -p -- "$base"
    fresh=$(mktemp -d -- "$base/.savorel-seed.XXXXXX")
    trap 'rm -rf -- "$fresh"' EXIT
    find -H "$book" -mindepth 1 -maxdepth 1 -type f -exec cp -p -t "$fresh" -- {} +
    # A rename: the folder is never seen half seeded. Should another start have made it in
    # the meantime, this fails and the fill-in below completes theirs.
    mv -T -- "$fresh" "$data" 2>/dev/null || true
fi
if [ ! -d "$data" ]; then
    echo "seed-data.sh: $data is not a folder" >&2
    exit 1
fi

# Book files the folder lacks, whatever the case of the names it has.
missing=$(
    LC_ALL=C awk 'FNR == NR { have[tolower($0)] = 1; next } !(tolower($0) in have)' \
        <(find "$data" -mindepth 1 -maxdepth 1 -printf '%f\n') \
        <(find -H "$book" -mindepth 1 -maxdepth 1 -type f -printf '%f\n')
)
if [ -n "$missing" ]; then
    while IFS= read -r name; do
        part=$data/.$name.seed-part
        cp -p -- "$book/$name" "$part"
        # No-clobber: a file that appeared meanwhile is the user's and stays.
        mv -n -- "$part" "$data/$name"
        rm -f -- "$part"
    done <<<"$missing"
fi

printf '%s\n' "$data"
