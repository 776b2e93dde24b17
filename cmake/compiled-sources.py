#!/usr/bin/env python3
"""Prints the repository's source files that a build compiles, as paths
relative to the current folder, one per line, sorted: those of the first
compile_commands.json, less those of the others (so that a second build's
own sources can be linted apart from what the first one already covers).
Generated files (in a build folder) and the system's (GoogleTest's source)
are left out. Usage: compiled-sources.py BUILD/compile_commands.json [OTHER...]"""
import json
import os
import sys


def repository_sources(database):
    root = os.getcwd()
    with open(database) as f:
        entries = json.load(f)
    files = set()
    for entry in entries:
        path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
        relative = os.path.relpath(path, root)
        if relative.startswith("..") or relative.split(os.sep)[0].startswith("build"):
            continue
        files.add(relative)
    return files


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    files = repository_sources(sys.argv[1])
    for other in sys.argv[2:]:
        files -= repository_sources(other)
    print("\n".join(sorted(files)))


if __name__ == "__main__":
    main()
