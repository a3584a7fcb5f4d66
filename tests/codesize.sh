#!/bin/sh
# Keeps the program's sources readable: no file over 600 lines and no
# function over 80. A function is a definition that starts at the beginning
# of a line and whose body is closed by "}" at the beginning of a line, as
# the code is formatted. Prints each offender and fails when there is one.
root=${1:-.}
status=0
for f in $(find "$root/src" "$root/tools" -name '*.cpp' -o -name '*.h' | sort); do
    lines=$(wc -l < "$f")
    if [ "$lines" -gt 600 ]; then
        echo "$f: $lines lines (at most 600)"
        status=1
    fi
    awk -v file="$f" '
        body && /^(#|\/\/)/ { next }
        /^(namespace|class|struct|enum|union|extern|template|#|\/\/)/ { signature = 0; next }
        !body && /^[A-Za-z~].*\(/ && !signature { signature = NR }
        !body && /^[A-Za-z~]/ && /;$/ { signature = 0 }
        !body && signature && /\{$/ && ($0 ~ /^\{$/ || $0 ~ /^[A-Za-z~]/ || $0 ~ /^ +[:A-Za-z]/) {
            body = 1; next
        }
        body && /^\}/ {
            length_ = NR - signature + 1
            if (length_ > 80) { printf "%s:%d: a function of %d lines (at most 80)\n", file, signature, length_; failed = 1 }
            body = 0; signature = 0
        }
        END { exit failed }
    ' "$f" || status=1
done
exit $status
