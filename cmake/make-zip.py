#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files given and SOURCE_DATE_EPOCH.

Usage: make-zip.py ZIP FILE...

Entries come in the order given, under their base names, deflated at level 9,
each with the UTC time of SOURCE_DATE_EPOCH (at least 1980-01-01, the first
time a zip can hold), MS-DOS as the system that made them and the archive
attribute only, no extra fields, no comments. The zip is written next to ZIP
and renamed, so a failed run leaves no partial zip.
"""
import os
import sys
import time
import zipfile

FAT_ARCHIVE = 0x20
MSDOS = 0


def entry_time():
    text = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not text.isdigit():
        sys.exit("make-zip.py: SOURCE_DATE_EPOCH must be set to seconds since 1970")
    return max(time.gmtime(int(text))[:6], (1980, 1, 1, 0, 0, 0))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    target, files = sys.argv[1], sys.argv[2:]
    when = entry_time()
    partial = target + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for path in files:
            info = zipfile.ZipInfo(os.path.basename(path), date_time=when)
            info.create_system = MSDOS
            info.external_attr = FAT_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)
    os.replace(partial, target)


if __name__ == "__main__":
    main()
