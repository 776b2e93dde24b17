#!/usr/bin/env python3
"""Times shell commands with their runs alternated (one run of each in turn,
after one warm-up round), so that other work on a shared machine weighs on
every command alike. Writes a JSON list with, for each command, the median
wall time and the median processor time (user + system of the command and
its children, from wait4), in seconds.

Usage: alternate-runs.py RUNS OUT.json COMMAND...   (each COMMAND one shell line)
"""
import json
import os
import statistics
import subprocess
import sys
import time


def run_once(command):
    start = time.monotonic()
    process = subprocess.Popen(["/bin/sh", "-c", command], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - start
    if os.waitstatus_to_exitcode(status) not in (0, 1):
        sys.exit("alternate-runs: '%s' failed (%d)" % (command, os.waitstatus_to_exitcode(status)))
    return wall, usage.ru_utime + usage.ru_stime


def main():
    runs, out, commands = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    times = {command: ([], []) for command in commands}
    for round_number in range(runs + 1):
        for command in commands:
            wall, cpu = run_once(command)
            if round_number > 0:
                times[command][0].append(wall)
                times[command][1].append(cpu)
    json.dump([{"command": c, "wall": statistics.median(times[c][0]),
                "cpu": statistics.median(times[c][1])} for c in commands], open(out, "w"))


main()
