#!/usr/bin/env bash
# The report script on results that are not the demo's: another structure, other answers, other
# file names; and in a directory that holds no results.
set -euo pipefail
source_dir=$1 vibfrf=$2 make_records=$3
command -v gnuplot >/dev/null || { echo "gnuplot is not installed: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$make_records" --out "$work" --force-file hammer.dat --accel-file response.dat --rate 2048 \
  --samples 3000 --mass 3 --stiffness 2e5 --damping 30 --pulse 0.004 --noise-force 0.05 \
  --noise-accel 0.01 --seed 7 >/dev/null
# Mean removal, Hann window, 5 Hz high-pass: 2048 of the 3000 samples are used.
(cd "$work" && printf '1 2 5 hammer.dat response.dat\n' | "$vibfrf" >transcript.txt)
"$source_dir/plot/report.sh" "$work" hammer.dat response.dat
for image in report.png report.svg; do
  [ -s "$work/$image" ] || fail "no $image"
done
[ "$(head -c 8 "$work/report.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "report.png is no PNG"
grep -q "hammer.dat" "$work/report.svg" || fail "the report does not name its force file"

# Where there are no results it says so and fails, drawing nothing.
mkdir "$work/empty"
if "$source_dir/plot/report.sh" "$work/empty" 2>"$work/message"; then fail "drew a report from nothing"; fi
grep -q "missing" "$work/message" || fail "no message for missing results"
[ ! -e "$work/empty/report.png" ] || fail "a report was drawn from nothing"
echo "report drawn from another run's results"
