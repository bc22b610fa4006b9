#!/usr/bin/env bash
# The demo: builds vibfrf if needed, simulates an impact test on a structure with two known
# modes, analyses it with vibfrf, and draws the report.
#   ./demo.sh        results in demo/, the report in demo/report.png and demo/report.svg
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

# What a fresh Debian machine lacks: the compiler and CMake to build, gnuplot to draw.
missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v g++ >/dev/null || missing+=(g++)
command -v gnuplot >/dev/null || missing+=(gnuplot-nox)
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    echo "Installing ${missing[*]} ..."
    apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "demo.sh needs: ${missing[*]} (Debian: sudo apt-get install ${missing[*]})" >&2
    exit 2
  fi
fi

# The tests need GoogleTest; the demo does not, so it builds them only where they can be built.
tests=OFF
[ -f /usr/include/gtest/gtest.h ] && tests=ON
echo "Building ..."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVIBFRF_TESTS="$tests" >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target vibfrf make_records >/dev/null

# A 1 kg mass on 395 kN/m (100 Hz) with a lighter second mode near 400 Hz, struck with a 2.5 ms
# half-sine of 100 N, recorded for 2 s at 4096 samples per second.
rm -rf demo
mkdir demo
echo
echo "The simulated structure:"
build/examples/make_records --out demo --rate 4096 --samples 8192 --pulse 0.0025 --delay 0.002 \
  --mass 1 --stiffness 3.95e5 --damping 25 --mode2 0.5,3.2e6,60 | sed 's/^/  /'

# No mean removal, no window (the response dies out within the record), 10 Hz high-pass.
echo
echo "Running vibfrf in demo/ (answers 2, 1, 10, force.txt, accel.txt; transcript in demo/transcript.txt) ..."
(cd demo && printf '2\n1\n10\nforce.txt\naccel.txt\n' | "$root/build/vibfrf" >transcript.txt)

# The largest H1 magnitude, to compare with the natural frequencies printed above.
awk 'NR > 1 && $2 > best { best = $2; f = $1 } END { printf "  H1 magnitude peaks at %s Hz (%s m/N)\n", f, best }' demo/H1_mp.out

echo
plot/report.sh demo force.txt accel.txt | sed 's/^/  /'
echo
echo "Results (22 tables) are in $root/demo; open demo/report.png to see them plotted."
