#!/usr/bin/env bash
# The README's first command as a newcomer runs it: in a fresh clone, with nothing built yet.
set -euo pipefail
source_dir=$1
command -v gnuplot >/dev/null || { echo "gnuplot is not installed: skipped"; exit 77; }
git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1 || { echo "not a git checkout: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone --quiet "$source_dir" "$work/clone"
output=$("$work/clone/demo.sh")
echo "$output"

fail() { echo "FAILED: $*" >&2; exit 1; }
report="$work/clone/demo/report.png"
[ -s "$report" ] || fail "no report.png"
[ "$(head -c 8 "$report" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "report.png is no PNG"
[ -s "$work/clone/demo/report.svg" ] || fail "no report.svg"
[ -s "$work/clone/demo/H1.out" ] || fail "no H1.out"
# The demo tells the natural frequency it simulated, and H1 peaks on the line nearest to it.
fn=$(sed -n 's/.*natural frequency fn *\([0-9.]*\) Hz.*/\1/p' <<<"$output" | head -n 1)
peak=$(sed -n 's/.*H1 magnitude peaks at \([0-9.]*\) Hz.*/\1/p' <<<"$output")
[ -n "$fn" ] && [ -n "$peak" ] || fail "the natural frequency or the H1 peak is not told"
awk -v fn="$fn" -v peak="$peak" 'BEGIN { d = fn - peak; if (d < 0) d = -d; exit !(d <= 0.5) }' ||
  fail "H1 peaks at $peak Hz, the natural frequency is $fn Hz"
echo "demo: fn $fn Hz, H1 peak $peak Hz, report $(wc -c <"$report") bytes"
