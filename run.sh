#!/usr/bin/env bash
# Installs what is missing, builds, prepares your data folder once and starts the recipe book.
# The data folder ($XDG_DATA_HOME/savorel, by default ~/.local/share/savorel) is seeded from
# the packed book only when it does not exist yet: your own recipes and favourites stay.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
scripts/install-deps.sh
scripts/build.sh build
data="$(scripts/seed-data.sh build/data)"
echo "Data folder: $data"
exec build/src/cook --data "$data" "$@"
