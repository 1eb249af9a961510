#!/usr/bin/env python3
"""Whole checker runs: tsuka with our solver and converter on problems with
stated solutions, one problem after another, as a composer runs it.

Reads a table of problems (id, SFEN, plies, ..., USI moves; tab-separated,
as classic_solutions.tsv), sorts them by length (shortest first), takes
--count of them after skipping --skip, and runs

    tsuka <problem>.sfen /L<level> /T<seconds>

in a fresh directory for each, the problem written as `sfen <position>
moves <usi moves>` for the converter. Prints per problem the verdict
(tsuka's exit status and last line), the whole time, the number of checks
and the slowest check (its work file number: 0 is the whole check, k the
step check of move n-k+1) with its time; then the totals.

Example, from the repository (after a Release build in build/):

    bench/checker_runs.py --build build ../shared/data/tsume/classic_solutions.tsv --count 30
    bench/checker_runs.py --build build ../shared/data/tsume/classic_solutions.tsv --skip 30 --count 60

--baseline DIR runs the programs of a second build on each problem right
after the first one and prints both times and their ratio, and the
baseline's status and verdict where they differ.
"""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time


def read_problems(path):
    problems = []
    with open(path, encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            fields = dict(zip(header, line.rstrip("\n").split("\t")))
            if not fields.get("usi"):
                continue
            problems.append((fields["id"], fields["sfen"], int(fields["plies"]), fields["usi"]))
    problems.sort(key=lambda p: (p[2], p[0]))
    return problems


def install(build, directory):
    for source, name in (("tsuka", "tsuka"), ("matesolver", "KZ.EXE"), ("tsumeconv", "KZSHOW.EXE")):
        shutil.copy2(os.path.join(build, source), os.path.join(directory, name))


def run_one(build, problem, level, seconds):
    ident, sfen, plies, usi = problem
    with tempfile.TemporaryDirectory(prefix="checker_runs_") as directory:
        install(build, directory)
        with open(os.path.join(directory, "problem.sfen"), "w", encoding="utf-8") as f:
            f.write("sfen %s moves %s\n" % (sfen, usi))
        start = time.monotonic()
        # A session of its own: on a failure tsuka waits for a key press
        # on its console, and there is none.
        done = subprocess.run(["./tsuka", "problem.sfen", "/L%d" % level, "/T%d" % seconds],
                              cwd=directory, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, start_new_session=True)
        whole = time.monotonic() - start
        # The verdict is the last message; "..." is the key wait after it.
        message = [l for l in done.stderr.decode("cp932", errors="replace").splitlines() if l.strip() not in ("", "...")]
        verdict = message[-1].replace("tsuka: ", "", 1) if message else ""
        slowest, slowest_time, checks = -1, 0.0, 0
        for path in glob.glob(os.path.join(directory, "TSUKA*.KZO")):
            text = open(path, "rb").read().decode("cp932", errors="replace")
            found = re.search(r"解析時間：([0-9.]+)秒", text)
            if not found:
                continue
            checks += 1
            seconds_taken = float(found.group(1))
            if seconds_taken >= slowest_time:
                slowest, slowest_time = int(re.search(r"TSUKA(\d+)", path).group(1)), seconds_taken
        return done.returncode, verdict, whole, checks, slowest, slowest_time


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("table")
    parser.add_argument("--build", required=True, help="directory with tsuka, matesolver and tsumeconv")
    parser.add_argument("--baseline", help="a second build to compare with, run on the same problems")
    parser.add_argument("--skip", type=int, default=0)
    parser.add_argument("--count", type=int, default=30)
    parser.add_argument("--level", type=int, default=2)
    parser.add_argument("--seconds", type=int, default=60, help="time limit of one check")
    args = parser.parse_args()

    problems = read_problems(args.table)[args.skip:args.skip + args.count]
    builds = [args.build] + ([args.baseline] if args.baseline else [])
    totals = [0.0 for _ in builds]
    differing = []
    print("%-10s %5s %6s  %-44s %8s %6s %8s %8s" % ("id", "plies", "status", "verdict", "seconds", "checks",
                                                   "slowest", "seconds") + ("  baseline  ratio" if args.baseline else ""))
    for problem in problems:
        results = [run_one(build, problem, args.level, args.seconds) for build in builds]
        status, verdict, whole, checks, slowest, slowest_time = results[0]
        for i, r in enumerate(results):
            totals[i] += r[2]
        line = "%-10s %5d %6d  %-44s %8.2f %6d %8s %8.2f" % (problem[0], problem[2], status, verdict[:44], whole, checks,
                                                           "#%d" % slowest, slowest_time)
        if args.baseline:
            line += "  %8.2f  %5.2f" % (results[1][2], results[1][2] / whole if whole > 0 else 0)
            if results[1][0] != status or results[1][1] != verdict:
                differing.append(problem[0])
                line += "  (baseline: status %d, %s)" % (results[1][0], results[1][1])
        print(line, flush=True)
    summary = "%d problems: %.1f s" % (len(problems), totals[0])
    if args.baseline:
        summary += ", baseline %.1f s, baseline / this %.2f" % (totals[1], totals[1] / totals[0] if totals[0] else 0)
        summary += "; verdicts differ on %d (%s)" % (len(differing), " ".join(differing)) if differing else "; the same verdicts"
    print(summary)


if __name__ == "__main__":
    sys.exit(main())
