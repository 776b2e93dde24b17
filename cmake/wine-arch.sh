#!/usr/bin/env bash
# Prints the Windows architecture whose programs Wine runs on this machine:
# win32 where the kernel runs 32-bit programs (the shipped i686 build is
# tested as it is), win64 where it runs only 64-bit ones (then the Windows
# tests run on an x86_64 build of the same sources, and the i686 build is
# built and its imports checked, but not run). Before Wine is installed it
# answers win32 unless the kernel is known to refuse 32-bit programs.
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo win32
elif [ -x /usr/lib/wine/wine64 ]; then
  echo win64
else
  echo win32
fi
