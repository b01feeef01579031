#!/usr/bin/env bash
# Checks that the folders of the engine or of the host form a stack: a file may include from its
# own folder and from the folders below it, never from one above it or beside it.
#
# The engine:
#   run     DAROZI, run sequence, run files, command loop
#   search  search driver, data items, generators, critical list, random numbers
#   input   header and command readers        fos  per-surface analysis and the methods
#   output  slice tables, line of thrust, plot file
#   core    engine object, run control, error lines, data-line reader, formatter, text sink
#   model   problem model, tables, geometric primitives
#
# The host:
#   cli     command line, the plan of a run, batch, progress
#   run     names.dat, engine call          views  picture, HTML page, JSON, summary, products
#   results results model and the readers of the four output files
#
# Usage: check_layers.sh [engine|host] [DIR]   (default: engine, and the folder of that name in
# this repository). Prints every upward include as FILE:LINE and exits 1 when there is any.
set -euo pipefail

stack="${1:-engine}"
# Rank of each folder; folders of one rank (input and fos, run and views) may not use each other.
declare -A rank
case "$stack" in
  engine) rank=([model]=1 [core]=2 [output]=3 [input]=4 [fos]=4 [search]=5 [run]=6) ;;
  host) rank=([results]=1 [run]=2 [views]=2 [cli]=3) ;;
  *)
    echo "usage: check_layers.sh [engine|host] [DIR]" >&2
    exit 2
    ;;
esac
top_dir="${2:-$(dirname "$0")/../$stack}"

status=0
while IFS= read -r file; do
  relative="${file#"$top_dir"/}"
  folder="${relative%%/*}"
  if [[ "$relative" != */* ]]; then
    echo "$relative: lies outside the folders of the stack"
    status=1
    continue
  fi
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
done < <(find "$top_dir" -mindepth 1 -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if (( status == 0 )); then echo "layers: every include of $stack points down the stack"; fi
exit "$status"
