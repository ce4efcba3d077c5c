#!/usr/bin/env bash
# The book reads as correct Romanian: at most 1% of the word tokens of the recipes, the
# catalogue's names and the dictionary are unknown to the Romanian hunspell dictionary, once
# the foreign dish and product names of the word list are accepted.
# Usage: romanian_spelling_test.sh BOOK_DIR WORD_LIST
set -euo pipefail
book="$1"
list="$2"
export LC_ALL=C.UTF-8

fail() { echo "FAIL: $*" >&2; exit 1; }
command -v hunspell >/dev/null || fail "hunspell is not installed (scripts/install-deps.sh)"
echo carte | hunspell -d ro_RO -l >/dev/null 2>&1 || fail "hunspell-ro is not installed"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The catalogue contributes its names only: not the level letter, not the file after "~".
{
  cat "$book"/RET[0-9][0-9][0-9].TXT "$book/dict.txt"
  sed -E 's/^ *[a-z] //; s/ ~ [^ ]*$//' "$book/virt-dir.txt"
} | iconv -f CP1250 -t UTF-8 |
  # The dictionary spells s and t with comma below; Windows-1250 has the cedilla forms.
  sed 's/ş/ș/g; s/ţ/ț/g; s/Ş/Ș/g; s/Ţ/Ț/g' |
  grep -oP '\p{L}+' | sort | uniq -c >"$work/counts"

total=$(awk '{n += $1} END {print n + 0}' "$work/counts")
[ "$total" -gt 100000 ] || fail "only $total word tokens read from $book"

awk '{print $2}' "$work/counts" | hunspell -d ro_RO -l | sort -u >"$work/bare"
awk '{print $2}' "$work/counts" | hunspell -d ro_RO -p "$list" -l | sort -u >"$work/unknown"
share() { awk 'NR == FNR {u[$1]; next} $2 in u {n += $1} END {print n + 0}' "$1" "$work/counts"; }
bare=$(share "$work/bare")
unknown=$(share "$work/unknown")
echo "tokens $total, unknown to hunspell-ro $bare, unknown with the word list $unknown"

if [ $((unknown * 100)) -gt "$total" ]; then
  echo "most frequent unknown words:" >&2
  awk 'NR == FNR {u[$1]; next} $2 in u' "$work/unknown" "$work/counts" | sort -rn | head -20 >&2
  fail "$unknown of $total word tokens ($((unknown * 100 / total))%) are not Romanian words"
fi

# The list holds each foreign name once, only names the book uses and hunspell lacks.
dupes=$(sort "$list" | uniq -d)
[ -z "$dupes" ] || fail "listed more than once: $dupes"
awk '{print tolower($2)}' "$work/counts" | sort -u >"$work/used"
unused=$(sort -u "$list" | comm -23 - "$work/used")
[ -z "$unused" ] || fail "listed but not in the book: $unused"
known=$(hunspell -d ro_RO -G <"$list" || true)
[ -z "$known" ] || fail "listed but already Romanian to hunspell: $known"
