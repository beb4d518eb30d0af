#!/bin/sh
# Runs tree_bench, each repetition in a fresh process so that the heap starts
# empty, and hands the raw rows to report.py, which writes results.md and
# results.svg beside this script.
#
#   run.sh TREE_BENCH [TREE_BENCH_32 [COMPILER]]
#
# Sets of rows: main (every shape and peer, 5 runs), m32 (the 32-bit build,
# ours and the plain tree, 5 runs), scale (random shape, N = 10^3..10^7, 3
# runs; 10^7 in the 64-bit layout only, without the plain tree), stark (one
# node with K children deleted, K = 10^2..10^5; 3 runs, one at 10^5).
set -eu
exe=$1 exe32=${2:-} compiler=${3:-unknown}
here=$(cd "$(dirname "$0")" && pwd)
raw=$(mktemp) one=$(mktemp)
trap 'rm -f "$raw" "$one"' EXIT
start=$(date +%s)

# bench SET RUNS BINARY IMPL SHAPE N [--delete-only]
bench() {
  set_=$1 runs=$2 bin=$3 impl_=$4 shape_=$5 n_=$6
  shift 6
  r=0
  while [ $r -lt "$runs" ]; do
    if ! "$bin" --impl "$impl_" --shape "$shape_" --n "$n_" "$@" >"$one"; then
      echo "tree_bench --impl $impl_ --shape $shape_ --n $n_ $* failed:" >&2
      cat "$one" >&2
      exit 1
    fi
    sed "s/^/$set_ /" "$one" >>"$raw"
    r=$((r + 1))
  done
}

# Repetitions take turns between the implementations, so that a change in
# the machine's load between them falls on every column alike.
for cfg in "random 1000000" "kary4 1000000" "chain 100000" "chain 1000000" "star 10001"; do
  for rep in 1 2 3 4 5; do
    for impl in zodovar9 gnode plain; do bench main 1 "$exe" $impl $cfg; done
    if [ -n "$exe32" ]; then
      for impl in zodovar9 plain; do bench m32 1 "$exe32" $impl $cfg; done
    fi
  done
done
for n in 1000 10000 100000 10000000; do
  for rep in 1 2 3; do
    for impl in zodovar9 gnode plain; do
      [ $n = 10000000 ] && [ $impl = plain ] && continue
      bench scale 1 "$exe" $impl random $n
    done
    if [ -n "$exe32" ] && [ $n != 10000000 ]; then
      for impl in zodovar9 plain; do bench scale32 1 "$exe32" $impl random $n; done
    fi
  done
done
for k in 100 1000 10000 100000; do
  runs=3
  [ $k = 100000 ] && runs=1
  for impl in zodovar9 gnode plain; do bench stark $runs "$exe" $impl star $((k + 1)) --delete-only; done
done

python3 "$here/report.py" "$raw" "$here" "$compiler" "$(($(date +%s) - start))"
