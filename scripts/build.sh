#!/usr/bin/env bash
# build.sh <build-dir> [cmake options...]: configures (once) and builds one tree with Ninja.
set -euo pipefail
dir=$1; shift
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths inside the checkout hash as relative ones, so a fresh clone elsewhere (CI) reuses the cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
[ -f "$dir/build.ninja" ] || cmake -S "$root" -B "$dir" -G Ninja "$@"
cmake --build "$dir"
