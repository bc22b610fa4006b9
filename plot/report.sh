#!/usr/bin/env bash
# Draws report.png and report.svg from the results of a vibfrf run.
#   plot/report.sh [RESULTS_DIR [FORCE_FILE ACCEL_FILE]]
# RESULTS_DIR defaults to the current directory, the input files to force.txt and accel.txt in it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:-.}
force=${2:-force.txt}
accel=${3:-accel.txt}

if ! command -v gnuplot >/dev/null; then
  echo "report.sh: gnuplot is needed (Debian: apt-get install gnuplot-nox)" >&2
  exit 2
fi
cd "$dir"
for f in "$force" "$accel" H1_mp.out coherence.out impulse_h1.out; do
  if [ ! -r "$f" ]; then
    echo "report.sh: $(pwd)/$f is missing: run vibfrf here first" >&2
    exit 2
  fi
done
gnuplot -e "force='$force'; accel='$accel'; out='report'" "$here/report.gp"
echo "report: $(pwd)/report.png and $(pwd)/report.svg"
