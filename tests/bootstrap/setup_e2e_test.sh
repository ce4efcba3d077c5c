#!/usr/bin/env bash
# The road a user takes, end to end, in a temporary HOME and temporary folder (paths with
# spaces): the distributable extracts into $TMP/KIT (TEMP empty) and starts install.exe; the
# installed program starts on the seeded data folder; a reinstall keeps the user's own files;
# the uninstaller removes the program and the menu entry and keeps the data folder. A setup
# cut short or damaged changes nothing of the installation; two setups at once, or an
# installer killed between any two of its steps, leave a whole book folder (shown on an
# installer made here for a small book, as the property does not depend on the book's size).
#   setup_e2e_test.sh SAVOREL_SETUP PACKED_BOOK_DIR SEED_SCRIPT PACKAGING_DIR ICON
set -uo pipefail
setup=$1 book=$2 seed=$3 packaging=$4 icon=$5
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
all_book_files() { # FOLDER [BOOK]: holds every file of the book
    local f
    for f in "${2:-$book}"/*; do
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

# The installed book: every file of the packed book, and nothing else.
whole_book() { # [BOOK]: the installed book is that one, whole, and nothing else
    local b=${1:-$book}
    all_book_files "$prog/book" "$b" &&
        [ "$(find -H "$prog/book" -mindepth 1 | wc -l)" -eq "$(find "$b" -mindepth 1 | wc -l)" ]
}
check "the installed book is whole" whole_book

# Damaged distributables: an interrupted download (cut short), or bytes changed in the
# program, in a recipe, in the installer itself. The installation stays as it was.
cp -- "$prog/cook" "$root/cook.good"
cp -- "$setup" "$root/setup.good"
setup_size=$(stat -c %s "$setup")
payload_size=$(cat "$kit/install.exe" "$kit/un.xxx" "$kit/cook.xxx" "$book"/* | wc -c)
payload_at=$((setup_size - payload_size))
installer_size=$(stat -c %s "$kit/install.exe")
# The installer looks at damaged files again after a pause, as another setup may be writing
# them; here they stay damaged, and the pause need not be sat out.
export SAVOREL_RETRY_PAUSE=0.05
for damage in "cut short:-" "program:$((setup_size - 3000))" \
    "recipe:$((payload_at + installer_size + 5000))" "installer:$((payload_at + 300))"; do
    what=${damage%%:*} at=${damage#*:}
    cp -- "$root/setup.good" "$program"
    if [ "$at" = - ]; then
        truncate -s $((setup_size - 4096)) "$program"
    else
        printf '\x7e' | dd of="$program" bs=1 seek="$at" conv=notrunc status=none
    fi
    run_setup
    check "$what: the report says nothing was installed" \
        grep -q "^Savorel nu a putut fi instalat.$" "$kit/install.log"
    check "$what: it does not say installed" eval '! grep -q "a fost instalat" "$kit/install.log"'
    check "$what: it says the files are damaged" grep -q "descarcarea a fost intrerupta" "$kit/install.log"
    check "$what: the program is the one installed before" cmp -s "$root/cook.good" "$prog/cook"
    check "$what: the book is whole" whole_book
done
unset SAVOREL_RETRY_PAUSE
cp -- "$root/setup.good" "$program"
run_setup
check "a whole setup after damaged ones installs" grep -q "^Savorel a fost instalat.$" "$kit/install.log"

# A double click: two setups at once; and two installers started at the same moment. Each
# installer reports on the output of whoever started it.
reported() { # FILE: until an installer's report is in it
    local i
    for ((i = 0; i < 600; i++)); do
        grep -q "Savorel a fost instalat\|nu a putut fi instalat" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}
for pair in "setup:$program" "installer:$kit/install.exe"; do
    what=${pair%%:*}
    (cd "$root" && timeout 60 "${pair#*:}") >"$root/double.1" 2>&1 &
    first=$!
    (cd "$root" && timeout 60 "${pair#*:}") >"$root/double.2" 2>&1 &
    wait "$first" $!
    for i in 1 2; do
        check "$what $i of two at once reports" reported "$root/double.$i"
        check "$what $i of two at once installed" grep -q "^Savorel a fost instalat.$" "$root/double.$i"
    done
    check "after two ${what}s at once the book is whole" whole_book
    check "and no staging is left" [ -z "$(find "$prog" -mindepth 1 -maxdepth 1 -name '.stage.*')" ]
done

# An installer killed right after its Nth rename outside its staging folder, for every N
# until one runs to its end: the book folder is whole after each, the book installed before
# or the new one. The installer is made here, as the build makes it, for a book of four files.
small=$root/small
mkdir -p "$small/book" "$small/kit"
for f in virt-dir.txt dict.txt RET001.TXT RET002.TXT; do cp -- "$book/$f" "$small/book/"; done
cp -- "$kit/un.xxx" "$kit/cook.xxx" "$small/kit/"
cmake -DTEMPLATE="$packaging/install.exe.in" -DSEED="$seed" \
    -DLAUNCHER="$packaging/savorel-launcher.in" -DDESKTOP="$packaging/savorel.desktop.in" \
    -DICON="$icon" -DBOOK_DIR="$small/book" -DUNINSTALLER="$small/kit/un.xxx" \
    -DPROGRAM="$small/kit/cook.xxx" -DVERSION=0 -DOUTPUT="$small/kit/install.exe" \
    -P "$packaging/make-installer.cmake" >"$root/make-installer.out" 2>&1
check "an installer for the small book is made" [ -x "$small/kit/install.exe" ]
cp -- "$small/book"/* "$small/kit/"
mkdir "$root/shim"
cat >"$root/shim/mv" <<EOF
#!/usr/bin/env bash
$(printf %q "$(command -v mv)") "\$@" || exit
case \${!#} in */.stage.*) exit 0 ;; esac
n=\$((\$(cat "\$CUT_COUNT") + 1))
echo "\$n" >"\$CUT_COUNT"
[ "\$n" -lt "\$CUT_AT" ] || kill -KILL 0
EOF
chmod +x "$root/shim/mv"
broken=
for ((n = 1; n <= 40; n++)); do
    echo 0 >"$root/cut.count"
    # A session of its own: the kill takes the installer and everything it started.
    PATH="$root/shim:$PATH" CUT_AT=$n CUT_COUNT="$root/cut.count" \
        setsid -w "$small/kit/install.exe" >"$root/cut.out" 2>&1
    status=$?
    whole_book || whole_book "$small/book" || broken+=" $n"
    [ "$status" -eq 0 ] && break
done
check "an installer cut after any rename leaves a whole book folder" [ -z "$broken" ]
check "and one left alone runs to its end" grep -q "^Savorel a fost instalat.$" "$root/cut.out"
check "the installer was cut at each of its renames" [ "$n" -ge 8 ]
check "the program is the carried one" cmp -s "$kit/cook.xxx" "$prog/cook"
check "the small book is the one installed" whole_book "$small/book"

# The plain book folder an earlier installer made is replaced too.
target=$(readlink -- "$prog/book")
rm -- "$prog/book" && mv -T -- "$prog/$target" "$prog/book" && rm -- "$prog/book/dict.txt"
run_setup
check "a plain book folder is replaced by a whole book" whole_book

# Uninstall with the installed uninstaller.
"$prog/un.xxx" >"$root/un.out" 2>&1
check "the uninstaller succeeds" [ $? -eq 0 ]
check "it names the data folder" grep -qxF "$data" "$root/un.out"
check "the program is gone" [ ! -e "$prog" ]
check "the command is gone" [ ! -e "$HOME/.local/bin/savorel" ] && [ ! -L "$HOME/.local/bin/savorel" ]
check "the menu entry is gone" [ ! -e "$entry" ]
check "the icon is gone" [ ! -e "$icon" ]
check "the folders the installer made are gone" \
    [ ! -e "$HOME/.local/lib" ] && [ ! -e "$HOME/.local/share/applications" ] &&
    [ ! -e "$HOME/.local/share/icons" ] && [ ! -e "$HOME/.local/bin" ]
check "the data folder remains" [ "$(cat "$data/xet1.txt")" = "my recipe" ] && all_book_files "$data"

if [ "$failures" -ne 0 ]; then
    echo "--- bootstrap and installer output"; cat "$root/setup.out"
    echo "--- cook output"; cat "$root/cook.out" 2>/dev/null
fi
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
