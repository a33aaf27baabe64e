#!/usr/bin/env bash
# Builds every libFuzzer target with clang in a build folder of its own and
# runs each one for a bounded time on a scratch copy of its seed corpus
# (fuzz/corpus/<name>/). Fails when a target finds a crash, a leak, undefined
# behaviour or a broken check; the input that did it is kept in the target's
# artifacts folder.
#   TOBRIK_FUZZ_SECONDS  time per target (default 60)
#   TOBRIK_FUZZ_BUILD    build folder (default build-fuzz)
# plutil's inputs may be up to 128 KiB, enough to nest past its depth bound
# (4,096 levels of <array> are 61 KB) and to share one data object into an
# XML text past its size bound; the other targets keep libFuzzer's default.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${TOBRIK_FUZZ_BUILD:-build-fuzz}
seconds=${TOBRIK_FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOBRIK_FUZZ=ON -DTOBRIK_GUI=OFF -DTOBRIK_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target fuzz_all

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}

failed=()
shopt -s nullglob
for target in "$build"/fuzz/bin/fuzz_*; do
  name=${target##*/fuzz_}
  work=$build/fuzz-work/$name
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  if [ -d "fuzz/corpus/$name" ]; then cp -R "fuzz/corpus/$name/." "$work/corpus/"; fi
  max_len=()
  if [ "$name" = plutil ]; then max_len=(-max_len=131072); fi
  echo "--- fuzzing $name for ${seconds}s"
  if ! "$target" "${max_len[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" \
      >"$work/log" 2>&1; then
    tail -n 60 "$work/log"
    echo "fuzz target $name failed; inputs kept in $work/artifacts/"
    failed+=("$name")
  else
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+.*DONE)' "$work/log" || true
  fi
done
if ((${#failed[@]})); then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
echo "fuzzing passed"
