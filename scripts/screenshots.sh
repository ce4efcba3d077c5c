#!/usr/bin/env bash
# Regenerates the windows' screenshots into shots/ (offscreen, no display needed):
# every window test saves the windows it drives when SAVOREL_SHOTS is set.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/build.sh build >/dev/null
mkdir -p shots
export SAVOREL_SHOTS="$root/shots" QT_QPA_PLATFORM=offscreen
for t in build/tests/C*Dlg_test; do
  "$t" >/dev/null 2>&1 || echo "$(basename "$t") failed"
done
ls shots
