#!/bin/sh
# Wall time of `kestrel` with no arguments (banner and usage text), start-up included.
# The budget is 20 ms. Usage: bench/help_latency.sh [path/to/kestrel]
set -eu
kestrel=${1:-$(dirname "$0")/../build/bin/kestrel}
[ -x "$kestrel" ] || { echo "no kestrel at $kestrel (pass its path)" >&2; exit 2; }
if command -v hyperfine >/dev/null 2>&1; then
    exec hyperfine --warmup 20 --runs 300 -N --style basic "$kestrel"
fi
# Without hyperfine: the mean of 300 runs, in milliseconds.
runs=300
start=$(date +%s%N)
i=0
while [ $i -lt $runs ]; do
    "$kestrel" 2>/dev/null
    i=$((i + 1))
done
end=$(date +%s%N)
echo "mean: $(( (end - start) / runs / 1000 )) us over $runs runs"
