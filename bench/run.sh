#!/usr/bin/env bash
# The benchmark command: builds in Release (with the micro-benchmarks when Google Benchmark is
# installed), then prints the text layer's micro-benchmarks (a short run), the time of each
# stage on the longest records, and whole runs of the program against the numpy/scipy peer.
#   bench/run.sh [BUILD_DIR]      (default: build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
jobs=$(nproc 2>/dev/null || echo 2)

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $jobs cores, load average:$(cut -d' ' -f1-3 /proc/loadavg | sed 's/^/ /')"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVIBFRF_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" >/dev/null

echo
echo "== formatting and scanning (numbers per second)"
if [ -x "$build/bench/textio_bench" ]; then
  "$build/bench/textio_bench" --benchmark_min_time=0.2 \
    --benchmark_filter='Print_e15_6|Print_g12_[45]|Scan_three_doubles|Scan_time_history'
else
  echo "  skipped: the micro-benchmarks need Google Benchmark (Debian: apt-get install libbenchmark-dev)"
fi

echo
echo "== stages"
"$build/bench/vibfrf_stage_times" 5

echo
echo "== whole runs"
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" bench/whole_program.py "$build"
