#!/usr/bin/env bash
# Runs every libFuzzer program of a fuzz build for a while, two at a time.
#   tests/fuzz/run.sh BUILD_DIR SECONDS
# A finding is left in BUILD_DIR/fuzz-findings/; copy it into
# tests/fuzz/regressions/<target>/ so the regression test replays it for ever.
set -euo pipefail
build=$1
seconds=${2:-60}
source_dir=$(cd "$(dirname "$0")" && pwd)
jobs=${JOBS:-2}
mkdir -p "$build/fuzz-findings" "$build/fuzz-corpus"

run_one() {
  local program=$1 name=${1##*/fuzz_}
  local corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus"
  local seeds=("$source_dir/corpus/$name")
  [ -d "$source_dir/regressions/$name" ] && seeds+=("$source_dir/regressions/$name")
  if "$program" -max_total_time="$seconds" -max_len=8192 -timeout=20 -rss_limit_mb=4096 \
       -print_final_stats=1 -artifact_prefix="$build/fuzz-findings/$name-" \
       "$corpus" "${seeds[@]}" >"$build/fuzz-findings/$name.log" 2>&1; then
    echo "fuzz $name: clean ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz-findings/$name.log" | grep -o '[0-9]*$') runs in ${seconds}s)"
  else
    echo "fuzz $name: FAILED; see $build/fuzz-findings/$name.log"
    tail -n 30 "$build/fuzz-findings/$name.log"
    return 1
  fi
}
export -f run_one
export build seconds source_dir

find "$build/tests/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort |
  xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {}
