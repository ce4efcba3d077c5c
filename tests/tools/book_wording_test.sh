#!/usr/bin/env bash
# Mistakes no spell checker sees stay out of the book: real words in the wrong place (the
# phrases of the list, each only ever a mistake) and a servings item of 20 or more without
# "de" ("24 porţii" for "24 de porţii"), or one below 20 with it.
# Usage: book_wording_test.sh BOOK_DIR PHRASE_LIST
set -euo pipefail
book="$1"
list="$2"
export LC_ALL=C.UTF-8

fail() { echo "FAIL: $*" >&2; exit 1; }

# The list: UTF-8, one phrase a line, in the book's letters (Windows-1250 has ş ţ with cedilla,
# so a phrase written with comma-below ș ț could never match), each once.
[ -s "$list" ] || fail "no phrases in $list"
iconv -f UTF-8 -t UTF-8 "$list" >/dev/null 2>&1 || fail "$list is not UTF-8"
iconv -f UTF-8 -t CP1250 "$list" >/dev/null 2>&1 || fail "$list holds letters Windows-1250 lacks"
grep -n -E '^$|^[[:space:]]|[[:space:]]$|\\' "$list" >&2 && fail "blank line, outer blanks or backslash in $list"
dupes=$(tr '[:upper:]' '[:lower:]' <"$list" | sort | uniq -d)
[ -z "$dupes" ] || fail "listed more than once: $dupes"

shopt -s nullglob
files=("$book"/*.TXT "$book"/*.txt)
recipes=("$book"/RET[0-9][0-9][0-9].TXT)
[ ${#recipes[@]} -gt 0 ] || fail "no recipes in $book"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Every source once through iconv, each line as FILE:LINE:text.
for f in "${files[@]}"; do
  printf '\001%s\n' "${f##*/}"
  cat "$f"
  printf '\n'
done | iconv -f CP1250 -t UTF-8 |
  awk '/^\001/ { name = substr($0, 2); n = 0; next } { sub(/\r$/, ""); print name ":" (++n) ":" $0 }' \
    >"$work/book"

# One pattern: a phrase that begins or ends with a letter must not be part of a longer word.
pattern=""
while IFS= read -r phrase; do
  p="\\Q$phrase\\E"
  [[ "$phrase" =~ ^[[:alpha:]] ]] && p="(?<!\\p{L})$p"
  [[ "$phrase" =~ [[:alpha:]]$ ]] && p="$p(?!\\p{L})"
  pattern="${pattern:+$pattern|}$p"
done <"$list"
grep -i -P -- "$pattern" "$work/book" >"$work/phrases" || true

# The servings item: the first item of the ingredients, which follow the second "#" line.
awk -F: '
  { file = $1; line = $2; text = $0; sub(/^[^:]*:[^:]*:/, "", text) }
  file != current { current = file; marks = 0; done = 0 }
  file !~ /^RET[0-9][0-9][0-9]\.TXT$/ || done { next }
  text == "#" { marks++; next }
  marks == 2 {
    done = 1
    item = text
    sub(/;.*/, "", item)
    if (item !~ /^[ \t]*[0-9]+[ \t]+([Dd][Ee][ \t]+)?[Pp][Oo][Rr]([Tt]|ţ|Ţ)[Ii]([Ii]|[Ee])[ \t]*$/)
      next
    checked++
    number = item + 0
    de = item ~ /[0-9][ \t]+[Dd][Ee][ \t]/
    if (number >= 20 && !de)
      print file ":" line ": \"" item "\" needs \"de\" (\"" number " de porţii\")"
    if (number < 20 && de)
      print file ":" line ": \"" item "\" takes no \"de\" below 20"
  }
  END { print checked + 0 >"/dev/stderr" }
' "$work/book" >"$work/servings" 2>"$work/checked"

checked=$(cat "$work/checked")
echo "sources ${#files[@]}, lines $(wc -l <"$work/book"), servings items $checked," \
  "wrong phrases $(wc -l <"$work/phrases"), servings without their \"de\" $(wc -l <"$work/servings")"
[ "$checked" -gt 0 ] || fail "no servings item read in $book"

if [ -s "$work/phrases" ] || [ -s "$work/servings" ]; then
  cat "$work/phrases" "$work/servings" >&2
  fail "the book holds wording listed in $list or a servings item with the wrong \"de\""
fi
