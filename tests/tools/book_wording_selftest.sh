#!/usr/bin/env bash
# book_wording_test.sh catches each kind of mistake it names, and only those: a small book
# passes, then fails with one mistake planted at a time.
# Usage: book_wording_selftest.sh CHECK_SCRIPT PHRASE_LIST
set -euo pipefail
check="$1"
list="$2"
export LC_ALL=C.UTF-8

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

# Writes a one-recipe book (UTF-8 text in, Windows-1250 files out).
make_book() { # SERVINGS PREPARATION CATALOGUE_NAME
  rm -rf "$work/book"
  mkdir "$work/book"
  printf '#\nFriptură\n#\n%s; 1 kg carne;\n1 linguriţă sare\n#\n%s\n' "$1" "$2" |
    iconv -f UTF-8 -t CP1250 >"$work/book/RET001.TXT"
  printf 'm Carne\n  h Porc\n    i %s ~ RET001.TXT\n' "$3" |
    iconv -f UTF-8 -t CP1250 >"$work/book/virt-dir.txt"
}

expect() { # pass|fail WHAT_THE_REPORT_SAYS SERVINGS PREPARATION CATALOGUE_NAME [LIST]
  local want="$1" says="$2"
  make_book "$3" "$4" "$5"
  local got=pass
  bash "$check" "$work/book" "${6:-$list}" >"$work/out" 2>&1 || got=fail
  if [ "$got" != "$want" ] || ! grep -q -F -- "$says" "$work/out"; then
    echo "FAIL: expected $want with \"$says\" for: $3 | $4 | $5" >&2
    sed 's/^/    /' "$work/out" >&2
    failures=$((failures + 1))
  fi
}

good="Lasă carnea peste noapte la rece, apoi zdrobeşte usturoiul cu furculiţa."
expect pass "wrong phrases 0" "4 porţii" "$good" "Friptură"
expect pass "servings without their \"de\" 0" "24 de porţii" "$good" "Friptură"
expect pass "servings items 1" "1 porţie" "$good" "Friptură"
expect fail "needs \"de\"" "24 porţii" "$good" "Friptură"
expect fail "needs \"de\"" "20 PORTII" "$good" "Friptură"
expect fail "takes no \"de\" below 20" "12 de porţii" "$good" "Friptură"
expect fail "RET001.TXT:7:" "4 porţii" "Toarnă-l peşte noapte." "Friptură"
expect fail "RET001.TXT:7:" "4 porţii" "Pune-l peşte carne." "Friptură"
expect fail "RET001.TXT:7:" "4 porţii" "Zdrobeşte-l CU FURCULIŢĂ." "Friptură"
expect fail "RET001.TXT:7:" "4 porţii" "Se coace ardeiul până se înegreşte." "Friptură"
expect fail "virt-dir.txt:3:" "4 porţii" "$good" "Pomană porcului"
# A phrase is a whole word at its ends: "înegrit" is not found inside "înegritor".
expect pass "wrong phrases 0" "4 porţii" "Un înegritor." "Friptură"

# The list itself: in the book's cedilla letters, each phrase once, no blank line.
printf 'peşte blat\npeşte noapte\n' >"$work/ok.txt"
expect pass "wrong phrases 0" "4 porţii" "$good" "Friptură" "$work/ok.txt"
printf 'peşte blat\nţine\xc8\x9b\n' >"$work/comma.txt"
expect fail "Windows-1250 lacks" "4 porţii" "$good" "Friptură" "$work/comma.txt"
printf 'peşte blat\nPeşte blat\n' >"$work/twice.txt"
expect fail "listed more than once" "4 porţii" "$good" "Friptură" "$work/twice.txt"
printf 'peşte blat\n\npeşte noapte\n' >"$work/blank.txt"
expect fail "blank line" "4 porţii" "$good" "Friptură" "$work/blank.txt"

[ "$failures" -eq 0 ] || { echo "FAIL: $failures case(s)" >&2; exit 1; }
echo "all cases as expected"
