#!/usr/bin/env bash
# Short fuzzing runs of every target: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# Not part of ./test.sh. Builds build-fuzz/ with clang and libFuzzer, seeds each corpus from
# the book, and prints each target's executions. Crashes are kept as build-fuzz/crash-*.
# FUZZ_MAX_LEN bounds the input size (default 16384); slow targets reach more executions with less.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${1:-60}"
shift || true
scripts/install-deps.sh
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DSAVOREL_FUZZ=ON -DSAVOREL_WINDOWS=OFF \
  -DSAVOREL_BENCH=OFF >/dev/null
python3 fuzz/make_seeds.py "$root/book" "$root/build-fuzz/corpus"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in build-fuzz/fuzz/fuzz_*; do targets+=("$(basename "$t")"); done
fi
status=0
for t in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$t"
  mkdir -p "$corpus"
  log="build-fuzz/$t.log"
  if (cd build-fuzz && "fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$root/build-fuzz/$t-" "$root/$corpus" -max_len="${FUZZ_MAX_LEN:-16384}" >"$root/$log" 2>&1); then
    result=ok
  else
    result=FAILED
    status=1
  fi
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo 0)
  cov=$(grep -Eo 'cov: [0-9]+' "$log" | tail -1 | grep -Eo '[0-9]+' || echo 0)
  echo "$t: $result, $runs executions, coverage $cov"
done
exit $status
