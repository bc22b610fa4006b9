#!/usr/bin/env bash
# Fuzzes one target for a given time: fuzz/run.sh TARGET SECONDS [libFuzzer options...]
# TARGET is scan, reader or dialogue. Builds the clang libFuzzer build in build-fuzz/ (with
# AddressSanitizer and UndefinedBehaviorSanitizer), then runs the target niced, starting from the
# committed seeds in fuzz/corpus/TARGET, with the dictionary fuzz/dict/TARGET.dict. New inputs go
# to fuzz/out/TARGET/corpus, and an input that fails a check or crashes to fuzz/out/TARGET/ (not
# committed: after the mend, copy it into fuzz/corpus/TARGET/ so that the regression run keeps it).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: fuzz/run.sh scan|reader|dialogue SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
case $target in
  scan | reader | dialogue) ;;
  *) echo "unknown target: $target (scan, reader or dialogue)" >&2; exit 2 ;;
esac

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Release -DVIBFRF_FUZZ=ON \
  -DVIBFRF_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2 --target "fuzz_$target"

# Scratch files of the targets go to memory where there is such a place.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

# Absolute paths: the dialogue target works in a directory of its own.
out=$PWD/fuzz/out/$target
mkdir -p "$out/corpus"
exec nice -n 10 "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$out/" -dict="$PWD/fuzz/dict/$target.dict" "$@" "$out/corpus" \
  "$PWD/fuzz/corpus/$target"
