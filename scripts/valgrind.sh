#!/usr/bin/env bash
# Runs every window test (each opens, reads and closes its windows offscreen) under
# valgrind --leak-check=full and reports definite leaks whose stack passes through our own
# code. Libraries' one-time allocations (fonts, the platform plugin) are not ours to fix.
# Not part of ./test.sh: it takes minutes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/build.sh build >/dev/null
export QT_QPA_PLATFORM=offscreen
# Code that Qt compiles for regular expressions at run time is opaque to valgrind and shows as
# uninitialised reads; the interpreted path is the same logic.
export QT_ENABLE_REGEXP_JIT=0
mkdir -p build/valgrind
status=0
for t in build/tests/C*Dlg_test; do
  name=$(basename "$t")
  log="build/valgrind/$name.log"
  valgrind --leak-check=full --show-leak-kinds=definite --num-callers=40 \
    --log-file="$log" "$t" >/dev/null 2>&1 || true
  ours=$(awk '/definitely lost in loss record/{block=1; text=""} block{text=text"\n"$0}
              /^==[0-9]+== $/{if (block && text ~ /savorel|bootstrap::/) n++; block=0}
              END{print n+0}' "$log")
  summary=$(grep -Eo 'definitely lost: [0-9,]+ bytes in [0-9,]+ blocks' "$log" || echo "no leak summary")
  echo "$name: $summary; of our own: $ours"
  [ "$ours" -eq 0 ] || status=1
done
exit $status
