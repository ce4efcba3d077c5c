#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh DIR [extra cmake options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
# ccache (when a developer names it as the compiler launcher) keeps files compiled with a
# precompiled header only when allowed to.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros}"
cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
cmake --build "$root/$dir"
