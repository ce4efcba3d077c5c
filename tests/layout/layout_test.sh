#!/usr/bin/env bash
# The layout the build relies on: logic files include no Qt, and no folder reaches up.
# Logic files (SUBSYSTEM/*) may include the logic of their own folder and of the folders
# before theirs in: core catalogue dictionary viewing personal search app.
# Window files (SUBSYSTEM/ui/*) may include any logic, and the windows of their own folder and
# of the folders before theirs in the same order (app, cook's shell and main window, last).
# Nothing else may stand in a subsystem folder.
set -u
src="$(cd "$(dirname "$0")/../../src" && pwd)"
logic_order=(core catalogue dictionary viewing personal search app)
window_order=(core dictionary viewing personal search app)
rank() { # rank NAME ORDER...
  local name="$1" i=0; shift
  for d in "$@"; do [ "$d" = "$name" ] && { echo "$i"; return; }; i=$((i + 1)); done
  echo 99
}
is_window() { case "$1" in */ui/*) return 0 ;; *) return 1 ;; esac; }
problems=0
for dir in "${logic_order[@]}"; do
  for file in "$src/$dir"/* "$src/$dir"/ui/*; do
    [ -e "$file" ] || continue
    [ "$file" = "$src/$dir/ui" ] && continue
    case "$file" in
    *.h | *.cpp) ;;
    *)
      echo "${file#"$src"/}: neither a header nor a source file"
      problems=$((problems + 1))
      continue
      ;;
    esac
    rel="${file#"$src"/}"
    if ! is_window "$file" && grep -qE '^#include <Q' "$file"; then
      echo "$rel: a logic file includes Qt"
      problems=$((problems + 1))
    fi
    while read -r target; do
      tdir="${target%%/*}"
      if is_window "$target" && ! is_window "$file"; then
        echo "$rel: a logic file includes the window file $target"
        problems=$((problems + 1))
      elif [ "$tdir" = "$dir" ]; then
        continue
      elif is_window "$target"; then
        if [ "$(rank "$tdir" "${window_order[@]}")" -gt "$(rank "$dir" "${window_order[@]}")" ]; then
          echo "$rel: includes $target, a window of a folder after its own"
          problems=$((problems + 1))
        fi
      elif ! is_window "$file" &&
        [ "$(rank "$tdir" "${logic_order[@]}")" -gt "$(rank "$dir" "${logic_order[@]}")" ]; then
        echo "$rel: includes $target, logic of a folder after its own"
        problems=$((problems + 1))
      fi
    done < <(sed -nE 's/^#include "([a-z]+\/[^"]+)".*/\1/p' "$file")
  done
done
echo "$problems layout problems"
[ "$problems" -eq 0 ]
