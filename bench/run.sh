#!/bin/sh
# Runs tree_bench, each repetition in a fresh process so that the heap starts
# empty, and hands the raw rows to report.py, which writes results.md and
# results.svg beside this script.
#
#   run.sh --compiler TEXT --main TREE_BENCH [--floor TREE_BENCH] [--m32 TREE_BENCH]
#          [--variant NAME TREE_BENCH]... [--absent NAME]...
#
# --floor is the build with rezade9 inlined into the tree library, --m32 the
# 32-bit layout (skipped, with a note, where this machine cannot run it),
# each --variant a build with one speed lever alone on (none: all off), each
# --absent a lever whose switch this source tree does not have.
#
# Sets of rows: main (every shape and peer, 5 runs; the floor beside it),
# m32 (ours and the plain tree in the 32-bit layout, 5 runs), scale (random
# shape, N = 10^3..10^7, 3 runs; 10^7 in the 64-bit layout only, without the
# plain tree), stark (one node with K children deleted, K = 10^2..10^5; 3
# runs, one at 10^5; the floor beside it), lever:NAME (the random and 4-ary
# shapes of 10^6 nodes and the star of 10^4 deleted, 3 runs interleaved with
# the full build and GNode), and profile (callgrind over the random shape, if
# valgrind is installed).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
compiler=unknown exe="" floor="" exe32="" variants="" absent=""
while [ $# -gt 0 ]; do
  case $1 in
    --compiler) compiler=$2; shift 2 ;;
    --main) exe=$2; shift 2 ;;
    --floor) floor=$2; shift 2 ;;
    --m32) exe32=$2; shift 2 ;;
    --variant) variants="$variants $2=$3"; shift 3 ;;
    --absent) absent="$absent $2"; shift 2 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -n "$exe" ] || { echo "run.sh: --main is required" >&2; exit 2; }
# The raw rows and the callgrind files stay in the working directory, so that
# report.py can be run on them again: report.py tree_bench.raw DIR COMPILER SECONDS callgrind
raw=$PWD/tree_bench.raw cg=$PWD/callgrind one=$(mktemp)
trap 'rm -f "$one"' EXIT
: >"$raw"
mkdir -p "$cg"
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

# A 32-bit program that cannot start here (no 32-bit support in the kernel
# or the loader) leaves its columns empty, with the reason in results.md.
if [ -n "$exe32" ] && ! why=$("$exe32" --impl plain --shape chain --n 10 2>&1 >/dev/null); then
  why=$(echo "$why" | tail -n 1 | sed 's/.*: //')
  echo "m32 note the 32-bit layout was built but cannot run on this machine ($why); its columns are empty" >>"$raw"
  exe32=""
fi
for name in $absent; do
  echo "lever:$name note absent" >>"$raw"
done

# Repetitions take turns between the implementations, so that a change in
# the machine's load between them falls on every column alike.
for cfg in "random 1000000" "kary4 1000000" "chain 100000" "chain 1000000" "star 10001"; do
  for rep in 1 2 3 4 5; do
    for impl in zodovar9 gnode plain; do bench main 1 "$exe" $impl $cfg; done
    [ -z "$floor" ] || bench floor 1 "$floor" zodovar9 $cfg
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
  [ -z "$floor" ] || bench stark-floor $runs "$floor" zodovar9 star $((k + 1)) --delete-only
done
if [ -n "$variants" ]; then
  for rep in 1 2 3; do
    for cfg in "random 1000000" "kary4 1000000" "star 10001 --delete-only"; do
      for v in $variants; do bench "lever:${v%%=*}" 1 "${v#*=}" zodovar9 $cfg; done
      bench lever:all 1 "$exe" zodovar9 $cfg
      bench lever:gnode 1 "$exe" gnode $cfg
    done
  done
fi

# Instructions and simulated cache misses of the random shape, from the
# library's entry points, and the calls between the libraries.
if command -v valgrind >/dev/null 2>&1 && command -v callgrind_annotate >/dev/null 2>&1; then
  for run in "zodovar9 $exe" "gnode $exe" ${floor:+"floor $floor"}; do
    set -- $run
    impl=$1
    [ "$impl" = floor ] && impl=zodovar9
    REZADE9_PLAIN_HEAP=0 valgrind --tool=callgrind --cache-sim=yes --LL=4194304,16,64 \
      --callgrind-out-file="$cg/$1.out" "$2" --impl $impl --shape random --n 100000 >/dev/null 2>&1
    callgrind_annotate --inclusive=yes "$cg/$1.out" >"$cg/$1.txt"
  done
else
  echo "profile note valgrind is not installed: no profile" >>"$raw"
fi

python3 "$here/report.py" "$raw" "$here" "$compiler" "$(($(date +%s) - start))" "$cg"
