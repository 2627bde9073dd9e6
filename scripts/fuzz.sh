#!/bin/bash
# Runs every fuzz target of the host build for SECONDS each (default 60),
# each from its own corpus in build/host/corpus (kept between runs).
set -euo pipefail
cd "$(dirname "$0")/.."
each=${1:-60}
targets=(build/host/fuzz/*_fuzz)
[ -e "${targets[0]}" ] || { echo "fuzz: no targets"; exit 0; }
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus=build/host/corpus/$name
  mkdir -p "$corpus"
  start_corpus=fuzz/corpus/$name
  [ -d "$start_corpus" ] || start_corpus=
  echo "fuzz: $name for ${each}s"
  "$t" -max_total_time="$each" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus" $start_corpus 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|INFO: Running|Done|==.*ERROR|SUMMARY)' || true
  test "${PIPESTATUS[0]}" -eq 0
done
