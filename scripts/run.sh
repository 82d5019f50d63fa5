#!/usr/bin/env bash
# Installs what is missing, builds Pulvan (Release) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release
if [ -x build/release/app/pulvan ]; then
  exec build/release/app/pulvan "$@"
fi
echo "Built the engine, its tests and benchmarks in build/release; there is no application to start."
echo "Benchmarks: build/release/bench/*/"
