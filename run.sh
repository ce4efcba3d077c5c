#!/usr/bin/env bash
# Installs what is missing, builds, packs the book and shows its catalogue.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
scripts/install-deps.sh
scripts/build.sh build
exec build/src/cookbook --data build/data list
