#!/usr/bin/env bash
# Installs what is missing, checks formatting and clang-tidy, builds normally and with
# sanitizers (warnings as errors in both), runs every test headless.
# Ends with "N passed, N failed, N skipped"; exits non-zero on any failure.
set -uo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"

# Each part's wall time and the CPU time of what it ran (the shell's `times`, children's line).
# `times` runs in this shell (a subshell starts its counts at zero) and writes to a file.
times_file=$(mktemp)
trap 'rm -f -- "$times_file"' EXIT
cpu_seconds() { # sets cpu
  times >"$times_file"
  cpu=$(awk 'END { split($1, u, /[ms]/); split($2, s, /[ms]/); printf "%d", u[1] * 60 + u[2] + s[1] * 60 + s[2] }' "$times_file")
}
timings=()
part_start() { part_wall=$SECONDS; cpu_seconds; part_cpu=$cpu; }
part_end() { cpu_seconds; timings+=("$1 $((SECONDS - part_wall)) s ($((cpu - part_cpu)) s CPU)"); }
part_start
scripts/install-deps.sh || { echo "installing dependencies failed"; exit 1; }
part_end "packages"
export QT_QPA_PLATFORM=offscreen

passed=0
failed=0
skipped=0
run_suite() {
  local dir="$1"; shift
  part_start
  if ! scripts/build.sh "$dir" -DSAVOREL_WERROR=ON "$@"; then
    echo "build of $dir failed"
    failed=$((failed + 1))
    part_end "build $dir"
    return
  fi
  part_end "build $dir"
  local log="$root/$dir/ctest.log"
  part_start
  (cd "$dir" && ctest --output-on-failure -j"$(nproc)") 2>&1 | tee "$log"
  part_end "tests $dir"
  local p f total s
  p=$(grep -Eo '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$p" ]; then
    failed=$((failed + 1))
    return
  fi
  f=$(echo "$p" | sed -E 's/.*passed, ([0-9]+) tests failed out of ([0-9]+)/\1/')
  total=$(echo "$p" | sed -E 's/.*out of ([0-9]+)/\1/')
  # ctest counts a skipped test (GTEST_SKIP, a root-only case run as a user) among the
  # passed ones and lists it under "did not run".
  s=$(grep -cE '^[[:space:]]*[0-9]+ - .* \((Skipped|Disabled)\)$' "$log")
  passed=$((passed + total - f - s))
  failed=$((failed + f))
  skipped=$((skipped + s))
}

# Formatting is part of the house rules: every C++ file as .clang-format lays it out. The
# files come from the tree itself, so a source archive without git is checked too.
cxx_files() {
  find src tests fuzz bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z
}
part_start
if [ -z "$(cxx_files | head -c1)" ]; then
  echo "clang-format: no C++ files found under src/ tests/ fuzz/ bench/"
  failed=$((failed + 1))
elif cxx_files | xargs -0 clang-format --dry-run --Werror; then
  echo "clang-format: every file formatted"
  passed=$((passed + 1))
else
  echo "clang-format: the files above are not formatted (clang-format -i FILE)"
  failed=$((failed + 1))
fi
part_end "clang-format"

run_suite build

# clang-tidy on every file of the normal build (needs its compile_commands.json).
if [ -f build/compile_commands.json ]; then
  part_start
  if scripts/tidy.sh build; then
    passed=$((passed + 1))
  else
    echo "clang-tidy: the findings above are errors (.clang-tidy)"
    failed=$((failed + 1))
  fi
  part_end "clang-tidy"
fi

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite build-asan -DSAVOREL_SANITIZE=ON -DSAVOREL_BENCH=OFF

echo "time: ${timings[*]/%/;} $SECONDS s in all"
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
