#!/bin/sh
# Keeps the sources readable: every .cpp and .h in src/, tools/, bench/,
# tests/ and fuzz/ has at most 600 lines, except the test suites
# (tests/tst_*.cpp), which may have up to 1000; and every function, wherever
# it is defined (a member function inside its class, a template, a lambda
# outside any function), has at most 80 lines. A lambda inside a function is
# part of that function. Functions and their first and last lines come from
# universal-ctags, which reads the code as C++ rather than by its layout.
# Prints each offender as file:line: and fails when there is one.
#
#   sh tests/codesize.sh [SOURCE-DIR]
root=${1:-.}
cd "$root" || exit 1

if ! ctags --version 2>/dev/null | grep -q 'Universal Ctags'; then
    echo "codesize: universal-ctags is not installed (apt-get install universal-ctags, or sh tools/install-deps.sh)" >&2
    exit 1
fi

files=$(find src tools bench tests fuzz \( -name '*.cpp' -o -name '*.h' \) | sort)
status=0

for f in $files; do
    limit=600
    case $f in tests/tst_*.cpp) limit=1000 ;; esac
    lines=$(wc -l < "$f")
    if [ "$lines" -gt "$limit" ]; then
        echo "$f:1: a file of $lines lines (at most $limit)"
        status=1
    fi
done

# One line per function definition: last line, first line, file, name.
tags=$(echo "$files" | ctags --quiet --options=NONE -L - --languages=C++ \
    --kinds-C++=f --fields=+ne -x --_xformat='%{end} %{line} %F %N') || {
    echo "codesize: ctags failed" >&2
    exit 1
}
echo "$tags" | sort -k3,3 -k2,2n | awk '
    NF == 0 { next }
    $4 ~ /^__anon/ { $4 = "(a lambda)" }
    $1 !~ /^[0-9]+$/ { printf "%s:%d: function %s: ctags found no end\n", $3, $2, $4; failed = 1; next }
    $1 - $2 + 1 > 80 { printf "%s:%d: function %s has %d lines (at most 80)\n", $3, $2, $4, $1 - $2 + 1; failed = 1 }
    END { exit failed }
' || status=1
exit $status
