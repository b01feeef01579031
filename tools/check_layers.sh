#!/usr/bin/env bash
# Checks that the engine's folders form a stack: a file may include from its own folder and
# from the folders below it, never from one above it or beside it.
#
#   run     DAROZI, run sequence, run files, command loop
#   search  search driver, data items, generators, critical list, random numbers
#   input   header and command readers        fos  per-surface analysis and the methods
#   output  slice tables, line of thrust, plot file
#   core    engine object, run control, error lines, data-line reader, formatter, text sink
#   model   problem model, tables, geometric primitives
#
# Usage: check_layers.sh [ENGINE_DIR]   (default: the engine folder of this repository)
# Prints every upward include as FILE:LINE and exits 1 when there is any.
set -euo pipefail

engine_dir="${1:-$(dirname "$0")/../engine}"

# Rank of each folder; input and fos share a rank, so neither may use the other.
declare -A rank=([model]=1 [core]=2 [output]=3 [input]=4 [fos]=4 [search]=5 [run]=6)

status=0
while IFS= read -r file; do
  relative="${file#"$engine_dir"/}"
  folder="${relative%%/*}"
  if [[ -z "${rank[$folder]:-}" ]]; then
    echo "$relative: folder '$folder' has no place in the stack"
    status=1
    continue
  fi
  line_number=0
  while IFS= read -r line; do
    line_number=$((line_number + 1))
    [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([a-z_]+)/ ]] || continue
    target="${BASH_REMATCH[1]}"
    [[ "$target" == "$folder" ]] && continue
    if [[ -z "${rank[$target]:-}" ]]; then
      echo "$relative:$line_number: includes from unknown folder '$target'"
      status=1
    elif (( rank[$target] >= rank[$folder] )); then
      echo "$relative:$line_number: $folder may not include from $target (not below it): $line"
      status=1
    fi
  done < "$file"
done < <(find "$engine_dir" -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if (( status == 0 )); then echo "layers: every include points down the stack"; fi
exit "$status"
