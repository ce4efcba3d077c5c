#!/usr/bin/env bash
# layout_test.sh against the faults it exists for: each line below is planted into a fresh copy
# of src/ and must be reported; the untouched copy must pass.
#   layout_selftest.sh LAYOUT_TEST SRC_DIR
set -u
layout_test=$1 src=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/savorel-layout.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
failures=0

cp -r -- "$src" "$work/clean"
if ! out=$(bash "$layout_test" "$work/clean"); then
  echo "FAILED: the tree as it stands: $out"
  failures=$((failures + 1))
fi

# FILE|LINE PLANTED|WORDS OF THE REPORT
cases=(
  'core/files.cpp|#include  "catalogue/catalogue.h"|logic of a folder after its own'
  'core/files.cpp|# include "catalogue/catalogue.h"|logic of a folder after its own'
  'core/files.cpp|  #	include<QString>|a logic file includes Qt'
  'core/files.cpp|#include <QtCore/QString>|a logic file includes Qt'
  'core/files.cpp|#include "ui/qt_text.h"|a logic file includes the window file core/ui/qt_text.h'
  'catalogue/catalogue.cpp|#include "../viewing/calories.h"|logic of a folder after its own'
  'catalogue/catalogue.cpp|#include <personal/store.h>|logic of a folder after its own'
  'catalogue/catalogue.cpp|#include "../../tests/support/support.h"|outside src/'
  'catalogue/catalogue.cpp|#include SOME_HEADER|names no file'
  'dictionary/ui/CDictionaryDlg.cpp|#include "viewing/ui/qt_pdf.h"|a window of a folder after its own'
  'core/scramble.h|#include "tools/terminal.h"|a file of cookbook'
  'tools/cookbook.cpp|#include "viewing/ui/qt_pdf.h"|a logic file includes the window file'
  'tools/cookbook.cpp|#include <QString>|a logic file includes Qt'
  'bootstrap/payload.cpp|#include "core/scramble.h"|bootstrap and cook share no file'
  'bootstrap/ui/CBootstrapDlg.cpp|#  include "core/ui/qt_text.h"|bootstrap and cook share no file'
  'bootstrap/launch.cpp|#include <QString>|a logic file includes Qt'
  'bootstrap/launch.cpp|#include "bootstrap/ui/CBootstrapDlg.h"|a logic file includes the window file'
  'app/application.cpp|#include "bootstrap/payload.h"|bootstrap and cook share no file'
)
n=0
for c in "${cases[@]}"; do
  IFS='|' read -r file line words <<<"$c"
  n=$((n + 1))
  tree=$work/case$n
  cp -r -- "$src" "$tree"
  if [ ! -f "$tree/$file" ]; then
    echo "FAILED: $file is gone; choose another file for: $line"
    failures=$((failures + 1))
    continue
  fi
  printf '%s\n' "$line" >>"$tree/$file"
  if out=$(bash "$layout_test" "$tree"); then
    echo "FAILED: not reported: $line in $file"
    failures=$((failures + 1))
  elif ! grep -qF -- "$words" <<<"$out"; then
    echo "FAILED: $line in $file reported otherwise: $out"
    failures=$((failures + 1))
  fi
  rm -rf -- "$tree"
done

# A file that is neither header nor source, and a stray folder.
cp -r -- "$src" "$work/stray"
: >"$work/stray/search/notes.txt"
mkdir "$work/stray/viewing/extra"
out=$(bash "$layout_test" "$work/stray")
grep -qF "search/notes.txt: neither a header nor a source file" <<<"$out" ||
  { echo "FAILED: a stray text file: $out"; failures=$((failures + 1)); }
grep -qF "viewing/extra: " <<<"$out" ||
  { echo "FAILED: a stray folder: $out"; failures=$((failures + 1)); }

echo "$n planted includes, $failures failure(s)"
[ "$failures" -eq 0 ]
