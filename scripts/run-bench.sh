#!/usr/bin/env bash
# Runs the benchmarks and prints the table of ratios, with the machine and its load.
# The console output of every run goes to <bindir>/bench.log.
# Usage: scripts/run-bench.sh <bindir> [--pacing-seconds N] [--repetitions N] [benchmark flags...]
#   --pacing-seconds  length of the pacing run (default 60)
#   --repetitions     repetitions of each compared pair, run interleaved (default 5)
# Other flags go to Google Benchmark, e.g. --benchmark_filter='port table'.
set -euo pipefail

bindir=${1:?usage: $0 <bindir> [--pacing-seconds N] [--repetitions N] [benchmark flags...]}
shift
bindir=$(cd "$bindir" && pwd)
pacing_seconds=60
repetitions=5
extra=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --pacing-seconds) pacing_seconds=${2:?}; shift 2 ;;
    --repetitions) repetitions=${2:?}; shift 2 ;;
    *) extra+=("$1"); shift ;;
  esac
done

log="$bindir/bench.log"
load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo "load average before: $(load)"
echo "running (pacing ${pacing_seconds} s, ${repetitions} repetitions); console output in $log"
# The working directory holds the frame sync module the library may open.
cd "$bindir"
QRC_PACING_SECONDS=$pacing_seconds ./qrc_bench \
  --benchmark_repetitions="$repetitions" \
  --benchmark_enable_random_interleaving=true \
  "${extra[@]}" 2>"$log"
echo "load average after: $(load)"
