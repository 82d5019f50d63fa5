#!/usr/bin/env bash
# Installs what is missing, builds Pulvan (Release: the application and the bundle it loads) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
# The same tree as scripts/test.sh, so a later test run reuses this build.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
[ -f build/release/build.ninja ] || cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release --target pulvan
exec build/release/app/pulvan "$@"
