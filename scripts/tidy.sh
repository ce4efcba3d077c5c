#!/usr/bin/env bash
# clang-tidy over the program's own sources with the checks of .clang-tidy (kept clean).
# Needs a configured build folder for compile_commands.json: scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cd "$root"
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json"; exit 2; }
git ls-files 'src/*.cpp' |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
