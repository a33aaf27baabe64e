#!/usr/bin/env bash
# Installs what is missing, checks that every C++ file follows .clang-format,
# builds, and runs every test: once in a normal build and once under
# AddressSanitizer and UBSan, then the fuzz targets for a short bounded time.
# Warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/deps.sh

jobs=$(nproc)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

run_build() {  # folder, extra cmake arguments...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBRIK_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 300) | tee "$dir/ctest.log"
}

echo "=== format ==="
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

echo "=== normal build ==="
run_build build
echo "=== sanitizer build ==="
run_build build-asan -DTOBRIK_SANITIZE=ON -DTOBRIK_BENCH=OFF

if [ -x scripts/fuzz.sh ]; then
  echo "=== fuzzing ==="
  bash scripts/fuzz.sh
fi

# ctest's summaries again, so that the run ends with them.
echo "=== summary ==="
for dir in build build-asan; do
  echo "$dir:"
  grep -E '^[0-9]+% tests passed' "$dir/ctest.log"
done
