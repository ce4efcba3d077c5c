#!/usr/bin/env bash
# Installs what is missing, builds normally and with sanitizers, runs every test headless.
# Ends with "N passed, N failed"; exits non-zero on any failure.
set -uo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"

scripts/install-deps.sh || { echo "installing dependencies failed"; exit 1; }
export QT_QPA_PLATFORM=offscreen

passed=0
failed=0
run_suite() {
  local dir="$1"; shift
  if ! scripts/build.sh "$dir" "$@"; then
    echo "build of $dir failed"
    failed=$((failed + 1))
    return
  fi
  local log="$root/$dir/ctest.log"
  (cd "$dir" && ctest --output-on-failure -j"$(nproc)") 2>&1 | tee "$log"
  local p f
  p=$(grep -Eo '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$p" ]; then
    failed=$((failed + 1))
    return
  fi
  f=$(echo "$p" | sed -E 's/.*passed, ([0-9]+) tests failed out of ([0-9]+)/\1/')
  local total
  total=$(echo "$p" | sed -E 's/.*out of ([0-9]+)/\1/')
  passed=$((passed + total - f))
  failed=$((failed + f))
}

# Formatting is part of the house rules: every C++ file as .clang-format lays it out.
if git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror; then
  echo "clang-format: every file formatted"
  passed=$((passed + 1))
else
  echo "clang-format: the files above are not formatted (clang-format -i FILE)"
  failed=$((failed + 1))
fi

run_suite build
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite build-asan -DSAVOREL_SANITIZE=ON -DSAVOREL_BENCH=OFF

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
