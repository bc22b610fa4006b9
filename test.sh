#!/usr/bin/env bash
# Configures, builds and runs every test of the project.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVIBFRF_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure
