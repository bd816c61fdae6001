#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for SECONDS each on its seed corpus
# (tests/fuzz/corpus, read only) and a working corpus in the build folder,
# then prints one line per target: executions, time, and whether it passed.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS [TARGET...]
set -euo pipefail
build=$1
seconds=$2
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_import_bs fuzz_import_tbs fuzz_import_resource fuzz_text fuzz_view)
fi

seeds_of() {
  case $1 in
    fuzz_import_*) echo import ;;
    fuzz_text) echo text ;;
    fuzz_view) echo view ;;
  esac
}

status=0
summary=()
for target in "${targets[@]}"; do
  work="$build/fuzz-work/$target"
  mkdir -p "$work/corpus" "$work/findings"
  log="$work/last.log"
  echo "fuzz: $target for ${seconds}s (log: $log)"
  # Leaks are looked for by the sanitized test suite; here they would stop
  # a run at its first input of every kind the import keeps cached.
  if ASAN_OPTIONS=detect_leaks=0 "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len=65536 \
    -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$work/findings/" \
    "$work/corpus" "$source_dir/tests/fuzz/corpus/$(seeds_of "$target")" >"$log" 2>&1; then
    result=passed
  else
    result="FAILED (findings in $work/findings)"
    status=1
    tail -30 "$log"
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  took=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | grep -o '[0-9]*' || echo "$seconds")
  summary+=("$target: $runs executions in ${took}s, $result")
done
printf '%s\n' "${summary[@]}"
exit $status
