#!/usr/bin/env bash
# Makes the distributable: the stripped bootstrap image padded to PayloadOffset, then every
# payload file in table order with nothing between them.
#
#   make-setup.sh BOOTSTRAP PAYLOAD_HEADER PAYLOAD_LIST OUT
#
# PayloadOffset is read from its one definition in PAYLOAD_HEADER. An image larger than it
# fails the build and names the smallest multiple of 32768 that would fit.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: make-setup.sh BOOTSTRAP PAYLOAD_HEADER PAYLOAD_LIST OUT" >&2
    exit 2
fi
bootstrap=$1 header=$2 list=$3 out=$4

die() {
    echo "make-setup.sh: $*" >&2
    rm -f -- "$out.new"
    exit 1
}

offset=$(sed -n 's/.*constexpr std::int64_t PayloadOffset = \([0-9][0-9]*\);.*/\1/p' "$header")
[ -n "$offset" ] || die "no PayloadOffset definition in $header"
[ $((offset % 32768)) -eq 0 ] || die "PayloadOffset ($offset) is not a multiple of 32768"

strip --strip-all -R .comment -o "$out.new" "$bootstrap"
image=$(stat -c %s -- "$out.new")
if [ "$image" -gt "$offset" ]; then
    need=$(((image + 32767) / 32768 * 32768))
    die "the stripped bootstrap image is $image bytes and does not fit in PayloadOffset" \
        "($offset) of $header: set PayloadOffset to $need"
fi
truncate -s "$offset" "$out.new"

expected=$offset
while read -r size path; do
    # The tables were generated from these files; one that changed since would be cut wrong.
    actual=$(stat -c %s -- "$path") || die "$path is missing"
    [ "$actual" = "$size" ] || die "$path is $actual bytes, the payload tables say $size"
    cat -- "$path" >>"$out.new"
    expected=$((expected + size))
done <"$list"

[ "$(stat -c %s -- "$out.new")" = "$expected" ] || die "$out.new is not $expected bytes long"
chmod 755 "$out.new"
mv -f -- "$out.new" "$out"
echo "$out: image $image bytes padded to $offset, payload $((expected - offset)) bytes"
