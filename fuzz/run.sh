#!/usr/bin/env bash
# Builds the libFuzzer targets in $1 and runs each for $2 seconds over its seed corpus in
# fuzz/corpus/<target>/. New inputs go to $1/corpus/, so the seeds in the repo stay as they are.
# A crash, leak, sanitizer report, time-out or broken invariant fails the run (after every target
# has had its turn) and leaves the input in $1/findings/. fuzz_host (random host calls and user
# input) and fuzz_round_trip (rows against a plain model) print the steps of a finding.
# FUZZ_SEED fixes libFuzzer's random seed (default 1, so a CI run can be replayed; 0 is random).
# A run count ($4, FUZZ_RUNS) instead of a time makes a run the same on any machine: a fixed seed
# with a time limit explores as far as the machine's speed allows, so CI could differ from a
# developer's run; the time then only caps a run that stalls.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1 seconds=$2 jobs=${3:-2} runs=${4:-0}
limit="-max_total_time=$seconds"
[ "$runs" -gt 0 ] && limit="-runs=$runs -max_total_time=600"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEKGRID_BUILD_FUZZ=ON \
    -DVEKGRID_BUILD_TESTS=OFF -DVEKGRID_BUILD_BENCH=OFF -DVEKGRID_BUILD_QT=OFF \
    -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j "$jobs"
mkdir -p "$build/findings"
failed=""
for target in "$build"/fuzz/fuzz_*; do
    name=$(basename "$target")
    mkdir -p "$build/corpus/$name"
    echo "fuzzing $name ($limit)"
    "$target" -seed="${FUZZ_SEED:-1}" $limit -timeout=10 \
        -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$name-" \
        "$build/corpus/$name" "fuzz/corpus/$name" 2>"$build/$name.log" ||
        { tail -n 60 "$build/$name.log"; echo "$name: FAILED"; failed="$failed $name"; continue; }
    grep -E "stat::number_of_executed_units|cov:" "$build/$name.log" | tail -n 2
done
# Every target runs even when one fails, so one finding does not hide another's.
[ -z "$failed" ] || { echo "fuzz: FAILED:$failed"; exit 1; }
echo "fuzz: all targets ran clean"
