#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy (every finding an error) over the program's own
# files that the build folder compiles, from its compile_commands.json:
#   scripts/tidy.sh [BUILD_DIR]
# ./test.sh runs it on build/. A file found clean is remembered in BUILD_DIR/tidy-clean/ under
# a digest of itself, every header of src/, .clang-tidy, this script and the compile commands,
# so a second run over unchanged files costs nothing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
cd "$root"
db=$build/compile_commands.json
[ -f "$db" ] || { echo "clang-tidy: no $db (configure the build first)"; exit 2; }
command -v clang-tidy >/dev/null || { echo "clang-tidy: not installed (scripts/install-deps.sh)"; exit 2; }

# The program's own sources the build compiles: not the tests, not generated files.
mapfile -t files < <(sed -nE 's/^[[:space:]]*"file": "(.*)",?$/\1/p' "$db" |
    grep -E "^$root/src/.*\.cpp$" | sort -u)
[ ${#files[@]} -gt 0 ] || { echo "clang-tidy: $db names no file under src/"; exit 2; }

# A precompiled header is the compiler's own format, which clang cannot read: tidy parses the
# headers itself, from a copy of the commands without it.
work=$build/tidy
mkdir -p "$work" "$build/tidy-clean"
sed -E 's/ -Winvalid-pch//g; s/ -include [^ ]*cmake_pch\.hxx//g' "$db" >"$work/compile_commands.json.new"
cmp -s "$work/compile_commands.json.new" "$work/compile_commands.json" ||
    mv "$work/compile_commands.json.new" "$work/compile_commands.json"
rm -f "$work/compile_commands.json.new"

shared=$( {
    cat scripts/tidy.sh .clang-tidy "$work/compile_commands.json"
    clang-tidy --version
    find src -name '*.h' -type f -print0 | sort -z | xargs -0 cat
} | sha256sum | cut -c1-64)

export work shared build
check_one() {
    local file=$1 stamp
    stamp=$build/tidy-clean/$( { echo "$shared $file"; cat "$file"; } | sha256sum | cut -c1-64)
    [ -e "$stamp" ] && return 0
    # GCC-only warning flags of the build are no finding.
    if clang-tidy -p "$work" --quiet --extra-arg=-Wno-unknown-warning-option "$file" >"$stamp.out" 2>&1; then
        rm -f "$stamp.out"
        : >"$stamp"
    else
        cat "$stamp.out"
        rm -f "$stamp.out"
        return 1
    fi
}
export -f check_one

if printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 1 bash -c 'check_one "$1"' _; then
    echo "clang-tidy: ${#files[@]} files clean"
else
    exit 1
fi
