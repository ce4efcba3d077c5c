#!/usr/bin/env bash
# The layout the build relies on: logic files include no Qt, and no folder reaches up.
# Logic files (SUBSYSTEM/*) may include the logic of their own folder and of the folders
# before theirs in: core catalogue dictionary viewing personal search planning app.
# Window files (SUBSYSTEM/ui/*) may include any logic, and the windows of their own folder and
# of the folders before theirs in: core dictionary planning viewing personal search app (the
# plan's windows come before those that add recipes to it; app, cook's shell and main window,
# last).
# tools/ (cookbook) may include any logic, never a window or Qt. bootstrap/ includes nothing
# of the others, a header neither: it links nothing of cook. Nothing else may stand there.
#   layout_test.sh [SRC_DIR]
# Includes are read as the preprocessor reads them: blanks around '#' and 'include', a name in
# quotes looked for beside the including file first and then in src/, one in angle brackets in
# src/ (the build's include folder), '..' followed.
set -u
src="$(cd "${1:-$(dirname "$0")/../../src}" && pwd)"
logic_order=(core catalogue dictionary viewing personal search planning app)
window_order=(core dictionary planning viewing personal search app)
declare -A logic_rank window_rank
for i in "${!logic_order[@]}"; do logic_rank[${logic_order[$i]}]=$i; done
for i in "${!window_order[@]}"; do window_rank[${window_order[$i]}]=$i; done
is_window() { case "$1" in */ui/* | ui/*) return 0 ;; *) return 1 ;; esac; }
problems=0
problem() {
  echo "$1"
  problems=$((problems + 1))
}

# Prints each include of a file as KIND NAME (KIND is " or <); a directive the preprocessor
# would take as an include but whose name is neither form (a macro) as ? TEXT.
includes() {
  sed -nE 's/^[[:space:]]*#[[:space:]]*(include|include_next|import)[[:space:]]*(.*)$/\2/p' "$1" |
    while IFS= read -r rest; do
      case "$rest" in
      \"*) name="${rest#\"}"; echo "\" ${name%%\"*}" ;;
      \<*) name="${rest#<}"; echo "< ${name%%>*}" ;;
      *) echo "? $rest" ;;
      esac
    done
}

# Sets target to PATH relative to src/ with '.' and '..' taken out, or to OUTSIDE when it
# leaves src/. In the shell itself: it runs for every include.
relative() {
  local path="${1#"$src"/}" part out=()
  local IFS=/
  for part in $path; do
    case "$part" in
    '' | .) ;;
    ..)
      if [ ${#out[@]} -eq 0 ]; then
        target=OUTSIDE
        return
      fi
      unset 'out[${#out[@]}-1]'
      ;;
    *) out+=("$part") ;;
    esac
  done
  target="${out[*]}"
}

# Sets target to the file of ours an include names, relative to src/, or to nothing when it
# is not one of ours (a system or Qt header).
resolve() { # resolve FILE KIND NAME
  local file="$1" kind="$2" name="$3"
  target=
  case "$name" in /*) target=OUTSIDE; return ;; esac
  if [ "$kind" = '"' ] && [ -e "${file%/*}/$name" ]; then
    relative "${file%/*}/$name"
  elif [ -e "$src/$name" ]; then
    relative "$src/$name"
  elif [ "$kind" = '"' ]; then
    # Not there (yet, as a generated header): a quoted name with a folder still counts as ours.
    case "$name" in */*) relative "$src/$name" ;; esac
  fi
}

is_qt() { # the name of a Qt header: QString, QtWidgets/QWidget, qglobal.h
  [[ "$1" =~ ^(Q[A-Za-z0-9]+|Qt[A-Za-z]+/.+|q[a-z0-9_]+\.h)$ ]]
}

check_file() { # check_file FILE FOLDER
  local file="$1" dir="$2" rel kind name tdir
  rel="${file#"$src"/}"
  while read -r kind name; do
    if [ "$kind" = "?" ]; then
      problem "$rel: an include that names no file ($name)"
      continue
    fi
    resolve "$file" "$kind" "$name"
    if [ -z "$target" ]; then
      if is_qt "$name" && ! is_window "$rel"; then
        problem "$rel: a logic file includes Qt ($name)"
      fi
      continue
    fi
    if [ "$target" = OUTSIDE ]; then
      problem "$rel: includes $name, a file outside src/"
      continue
    fi
    tdir="${target%%/*}"
    if [ "$dir" = bootstrap ] || [ "$tdir" = bootstrap ]; then
      if [ "$dir" != "$tdir" ]; then
        problem "$rel: includes $target: bootstrap and cook share no file"
      elif is_window "$target" && ! is_window "$rel"; then
        problem "$rel: a logic file includes the window file $target"
      fi
      continue
    fi
    if [ "$tdir" = tools ] && [ "$dir" != tools ]; then
      problem "$rel: includes $target, a file of cookbook"
    elif is_window "$target" && { [ "$dir" = tools ] || ! is_window "$rel"; }; then
      problem "$rel: a logic file includes the window file $target"
    elif [ "$tdir" = "$dir" ] || [ "$dir" = tools ]; then
      continue
    elif [ -z "${logic_rank[$tdir]:-}" ]; then
      problem "$rel: includes $target, which is in no folder of the layout"
    elif is_window "$target"; then
      if [ "${window_rank[$tdir]:-99}" -gt "${window_rank[$dir]:-99}" ]; then
        problem "$rel: includes $target, a window of a folder after its own"
      fi
    elif ! is_window "$rel" &&
      [ "${logic_rank[$tdir]}" -gt "${logic_rank[$dir]}" ]; then
      problem "$rel: includes $target, logic of a folder after its own"
    fi
  done < <(includes "$file")
}

for dir in "${logic_order[@]}" bootstrap tools; do
  [ -d "$src/$dir" ] || { problem "$dir: the folder is missing"; continue; }
  for file in "$src/$dir"/* "$src/$dir"/ui/*; do
    [ -e "$file" ] || continue
    [ "$file" = "$src/$dir/ui" ] && continue
    case "${file##*/}" in
    *.h | *.cpp) ;;
    CMakeLists.txt | *.qrc) [ "$dir" = bootstrap ] && continue ;&
    *)
      problem "${file#"$src"/}: neither a header nor a source file"
      continue
      ;;
    esac
    [ -d "$file" ] && { problem "${file#"$src"/}: a folder within a subsystem"; continue; }
    check_file "$file" "$dir"
  done
done
echo "$problems layout problems"
[ "$problems" -eq 0 ]
