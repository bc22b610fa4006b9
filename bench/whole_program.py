#!/usr/bin/env python3
"""Times whole runs of vibfrf, and of the numpy/scipy peer on the same records.

    whole_program.py BUILD_DIR [--runs N]

Makes a longest pair of records (300000 samples each, so m = 262144) and a typical one (1000
samples) with make_records, runs vibfrf on each after a warm-up, and prints the median and the
spread of the wall time and the peak resident memory of each run; then the peer's median on the
same records, and the ratio.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ANSWERS = b"2\n1\n10\nforce.txt\naccel.txt\n"


def timed_run(command, cwd, stdin=None):
    """Wall time (s) and peak resident memory (KiB) of one run of a command."""
    start = time.perf_counter()
    process = subprocess.Popen(command, cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE)
    if stdin:
        process.stdin.write(stdin)
    process.stdin.close()
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command[0]} failed: {process.stderr.read().decode()}")
    return wall, usage.ru_maxrss


def series(command, cwd, runs, stdin=None):
    timed_run(command, cwd, stdin)  # warm-up: the page cache holds the inputs afterwards
    results = [timed_run(command, cwd, stdin) for _ in range(runs)]
    walls = sorted(w for w, _ in results)
    return {"median": statistics.median(walls), "min": walls[0], "max": walls[-1],
            "rss": max(r for _, r in results)}


def show(label, s):
    print(f"  {label:<34} median {s['median'] * 1000:9.1f} ms   spread {s['min'] * 1000:7.1f} .. "
          f"{s['max'] * 1000:7.1f} ms   peak RSS {s['rss'] / 1024:6.1f} MiB")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", help="the build directory holding vibfrf and examples/make_records")
    parser.add_argument("--runs", type=int, default=7, help="timed runs of vibfrf per record size")
    parser.add_argument("--peer-runs", type=int, default=3, help="timed runs of the peer")
    args = parser.parse_args()
    vibfrf = os.path.abspath(os.path.join(args.build, "vibfrf"))
    make_records = os.path.abspath(os.path.join(args.build, "examples", "make_records"))
    peer = os.path.join(os.path.dirname(os.path.abspath(__file__)), "peer.py")
    python = shutil.which("python3", path="/usr/bin") or sys.executable

    print(f"whole-program runs ({os.cpu_count()} cores), answers: no mean removal, no window, 10 Hz high-pass")
    with tempfile.TemporaryDirectory(prefix="vibfrf-bench-") as work:
        figures = {}
        for label, samples, runs in (("longest (300000 samples, m = 262144)", 300000, args.runs),
                                     ("typical (1000 samples, m = 512)", 1000, 5 * args.runs)):
            here = os.path.join(work, str(samples))
            subprocess.run([make_records, "--out", here, "--samples", str(samples), "--rate", "4096",
                            "--pulse", "0.0025", "--noise-force", "0.01", "--noise-accel", "0.01"],
                           check=True, stdout=subprocess.DEVNULL)
            figures[samples] = series([vibfrf], here, runs, ANSWERS)
            show("vibfrf, " + label, figures[samples])
        try:
            import numpy  # noqa: F401  (only to tell whether the peer can run)
            import scipy  # noqa: F401
        except ImportError:
            print("  numpy/scipy peer: skipped (Debian: apt-get install python3-numpy python3-scipy)")
            return
        longest = os.path.join(work, "300000")
        peer_figures = series([python, peer, "force.txt", "accel.txt", "peer", "2", "1", "10"], longest,
                              args.peer_runs)
        show("numpy/scipy peer, longest", peer_figures)
        print(f"  the peer takes {peer_figures['median'] / figures[300000]['median']:.1f} times as long as vibfrf")


if __name__ == "__main__":
    main()
