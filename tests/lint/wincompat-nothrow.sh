#!/bin/sh
# The Windows layer answers every failure with an error result and
# GetLastError, never an exception. Library calls that report failure by
# throwing are therefore kept out of it: file streams (a failed read throws
# from the stream buffer), std::filesystem, regular expressions, the std::sto*
# conversions, checked element access and throw itself. Threads made with
# std::thread are started inside a try block (see ole32/LauncherProgress.cpp).
# Usage: wincompat-nothrow.sh WINCOMPAT_FOLDER
folder=${1:?usage: wincompat-nothrow.sh WINCOMPAT_FOLDER}
pattern='#include <(fstream|filesystem|regex)>|std::(ifstream|ofstream|fstream|filesystem|regex|sto(i|l|ul|ll|ull|f|d|ld))\b|(^|[^_[:alnum:]])throw([^_[:alnum:]]|$)|\.at\('
found=$(grep -rnE --include='*.cpp' --include='*.h' "$pattern" "$folder")
if [ -n "$found" ]; then
  echo "calls that throw, in the Windows layer:"
  echo "$found"
  exit 1
fi
echo "no throwing calls in $folder"
