#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: Release, then AddressSanitizer with
# UndefinedBehaviorSanitizer, then the threaded tests under ThreadSanitizer. A test that fails runs once
# more: the JACK and X11 tests keep real-time deadlines that a loaded machine can miss.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# Paths inside the checkout hash as relative ones, so a fresh clone elsewhere (CI) reuses the cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
scripts/install-deps.sh
jobs=$(nproc)

echo "== Format"
scripts/format.sh --check

echo "== Release"
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build/release -j "$jobs" --output-on-failure --timeout 600 --repeat until-pass:2

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
scripts/build.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DPULVAN_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$root/tests/lsan_suppressions.txt" UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j "$jobs" --output-on-failure --timeout 900 --repeat until-pass:2

# Not the tests that open X windows: XCB's own locking, unseen by the sanitizer, reads as races there.
echo "== ThreadSanitizer (threaded tests)"
[ -f build/tsan/build.ninja ] || cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULVAN_SANITIZE=thread
cmake --build build/tsan --target pulvan_threaded_tests
TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/tsan_suppressions.txt" ctest --test-dir build/tsan -L threaded -LE x11 -j "$jobs" --output-on-failure --timeout 900 --repeat until-pass:2
