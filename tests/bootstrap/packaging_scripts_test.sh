#!/usr/bin/env bash
# The build's two payload tools: the table generator (order, names, sizes, refusals) and the
# assembler (the size check against PayloadOffset, padding, payload in list order, stale lists).
#   packaging_scripts_test.sh PACKAGING_DIR PAYLOAD_HEADER
set -uo pipefail
packaging=$1 header=$2
source "$(dirname "$0")/checks.sh"

root=$(mktemp -d "${TMPDIR:-/tmp}/packaging-test.XXXXXX")
trap 'rm -rf -- "$root"' EXIT
cd "$root" || exit 1
mkdir book stage
for f in RET002.TXT virt-dir.txt COFFEE.GIF dict.txt RET001.TXT zbucati.txt pref.txt; do
    head -c $((${#f} * 7)) /dev/urandom >"book/$f"
done
printf 'installer' >stage/install.exe
printf 'uninstaller!' >stage/un.xxx
head -c 5000 /dev/urandom >stage/cook.xxx

generate() { bash "$packaging/payload-tables.sh" out stage/install.exe "$1" stage/un.xxx stage/cook.xxx; }
generate book
check "the generator succeeds" [ $? -eq 0 ]
names=$(sed -n 's/^    "\(.*\)",$/\1/p' out/payload_tables.cpp | tr '\n' ' ')
check "installer, coffee.gif, book by name ignoring case, uninstaller, program" \
    [ "$names" = "install.exe COFFEE.GIF dict.txt pref.txt RET001.TXT RET002.TXT virt-dir.txt zbucati.txt un.xxx cook.xxx " ]
sizes=$(sed -n 's/^    \([0-9][0-9]*\),$/\1/p' out/payload_tables.cpp | tr '\n' ' ')
expected_sizes=""
while read -r size path; do
    [ "$size" = "$(stat -c %s "$path")" ] || expected_sizes="list and files differ"
    expected_sizes+="$size "
done <out/payload.list
check "sizes in the table are the listed files' sizes" [ "$sizes" = "$expected_sizes" ]
check "the names end with the null entry" grep -q '^    nullptr,$' out/payload_tables.cpp
check "one list line per table name" [ "$(wc -l <out/payload.list)" -eq 10 ]

touch -d '2001-01-01' out/payload_tables.cpp
generate book
check "unchanged tables are not rewritten" [ "$(stat -c %Y out/payload_tables.cpp)" = "$(date -d 2001-01-01 +%s)" ]

mkdir bad1 && cp book/* bad1/ && printf x >"bad1/a b.txt"
generate bad1 2>/dev/null
check "a name with a blank is refused" [ $? -ne 0 ]
mkdir bad2 && cp book/* bad2/ && printf x >bad2/DICT.TXT
generate bad2 2>/dev/null
check "two names equal ignoring case are refused" [ $? -ne 0 ]
mkdir bad3 && printf x >bad3/un.xxx
generate bad3 2>/dev/null
check "a book file named like the uninstaller is refused" [ $? -ne 0 ]

# The assembler, with a real program as the image and headers of the test's own.
cp /bin/true image
image_size=$(strip --strip-all -R .comment -o stripped image && stat -c %s stripped)
need=$(((image_size + 32767) / 32768 * 32768))
sed "s/PayloadOffset = [0-9]*;/PayloadOffset = $((need - 32768));/" "$header" >small.h
sed "s/PayloadOffset = [0-9]*;/PayloadOffset = $need;/" "$header" >fits.h

if [ "$need" -gt 32768 ]; then
    bash "$packaging/make-setup.sh" image small.h out/payload.list setup 2>err
    check "an image that outgrows PayloadOffset fails the build" [ $? -ne 0 ]
    check "and names the offset that would fit" grep -q "set PayloadOffset to $need" err
    check "and leaves no distributable" [ ! -e setup ] && [ ! -e setup.new ]
fi

bash "$packaging/make-setup.sh" image fits.h out/payload.list setup >/dev/null
check "an image that fits makes the distributable" [ $? -eq 0 ]
payload=$(while read -r size path; do cat "$path"; done <out/payload.list | od -An -tx1 | tr -d ' \n')
total=$(awk '{ s += $1 } END { print s }' out/payload.list)
check "the distributable is the padded image and the payload" \
    [ "$(stat -c %s setup)" -eq $((need + total)) ]
check "the image comes first" cmp -s -n "$image_size" stripped setup
check "zeros pad the image" [ -z "$(tail -c +$((image_size + 1)) setup | head -c $((need - image_size)) | tr -d '\0')" ]
check "the payload follows in table order" [ "$(tail -c +$((need + 1)) setup | od -An -tx1 | tr -d ' \n')" = "$payload" ]
check "the distributable can run" [ -x setup ]

printf 'grown' >>stage/un.xxx
bash "$packaging/make-setup.sh" image fits.h out/payload.list setup2 2>err
check "a file changed since the tables were made fails the build" [ $? -ne 0 ] && grep -q un.xxx err

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
