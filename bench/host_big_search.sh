#!/usr/bin/env bash
# The host on a search of a million trials: the run, then the files read back alone (--no-run),
# each with its peak memory and time. The four files take about 1.6 GB; they are removed at the
# end. Usage: bench/host_big_search.sh [BUILD_FOLDER]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
examples="$(cd "$(dirname "$0")/../examples" && pwd)"
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
# The bundled example with 100 initiation points and 10,000 circles from each.
sed -e 's/^10 50$/100 10000/' "$examples/circle_search.dat" > "$folder/million.dat"
measure() {
  /usr/bin/time -f "%e s, peak %M kB" "$build/scarpex" "$folder/million.dat" "$@" \
    --json "$folder/million.json" > "$folder/host.txt" 2> "$folder/time.txt"
  grep -E "Lowest factor|Trial surfaces|Run " "$folder/host.txt"
  tail -1 "$folder/time.txt"
}
echo "Run and read back:"
measure
echo "Read back alone (--no-run):"
measure --no-run
ls -l "$folder" | awk '/million\.(plt|trc|sts|out)$/ {print $5, $9}'
