#!/usr/bin/env bash
# block_costs.sh <build-dir>: instructions per engine block, average and worst, per workload
# and block size, counted by callgrind (one dump per block).
set -euo pipefail
build=${1:?usage: block_costs.sh <build-dir>}
dumps=$(mktemp -d)
trap 'rm -rf "$dumps"' EXIT
valgrind --tool=callgrind --collect-atstart=no --dump-instr=no --compress-strings=no \
  --callgrind-out-file="$dumps/cg" -q "$build/bench/engine/block_costs"
printf '%-34s %8s %12s %12s\n' workload blocks mean_Ir worst_Ir
# The first file is the final dump at exit; every other holds one block.
awk '/^desc: Trigger: Client Request: /{label=$5} /^totals:|^summary:/{if (label!="") {n[label]++; s[label]+=$2; if ($2>w[label]) w[label]=$2}; label=""}
     END {for (l in n) printf "%-34s %8d %12.0f %12d\n", l, n[l], s[l]/n[l], w[l]}' "$dumps"/cg.* | sort
