#!/usr/bin/env bash
# build.sh <build-dir> [cmake options...]: configures (once) and builds one tree with Ninja.
set -euo pipefail
dir=$1; shift
root=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$dir/build.ninja" ] || cmake -S "$root" -B "$dir" -G Ninja "$@"
cmake --build "$dir"
