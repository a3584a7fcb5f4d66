#!/bin/sh
# Keeps the includes of src/ running one way, down the layers below. Each
# quoted include names a file, looked for in the including file's own folder
# first, then in the library folders src/core, src/gui, src/cli and
# src/sample; the headers the build generates (ui_*.h, puckdexversion.h)
# are left alone. A library may include itself and the libraries listed
# after it; inside a library with folders, a folder may include itself and
# the folders before it. No include goes up with "../". Prints each wrong
# include as file:line: and fails when there is one.
#
#   sh tests/layering.sh [SOURCE-DIR]

# Each library, then the libraries it may include.
LIBRARIES='
core
sample  core
cli     core sample
gui     core
app     core sample cli gui
'
# The folders of a library, lowest first.
FOLDERS='
core    files settings player history table
gui     widgets dialogs templates table editor startup
'
# Known exceptions, to go: wrong-way includes that are being taken out, one
# a line, the including file (under src/), then the include as written, e.g.
#   gui/dialogs/pictureprompt.h   editor/programstate.h
# The test fails once one of them is gone, so that its line here goes too.
# None is left.
KNOWN='
'
ROOTS='core gui cli sample'
GENERATED='^(ui_.*|puckdexversion)\.h$'

self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
root=${1:-.}
cd "$root/src" || exit 1
export LIBRARIES FOLDERS KNOWN ROOTS GENERATED SELF="$self"

find . \( -name '*.cpp' -o -name '*.h' \) | sed 's|^\./||' | sort | awk '
function table(text, into,    lines, n, i, words, w, j) {
    n = split(text, lines, "\n")
    for (i = 1; i <= n; i++) {
        w = split(lines[i], words, " ")
        if (w == 0) continue
        into[words[1]] = ""
        for (j = 2; j <= w; j++) into[words[1]] = into[words[1]] " " words[j]
        into[words[1]] = into[words[1]] " "
    }
}
function dirname(path) { return path ~ /\// ? substr(path, 1, match(path, /\/[^\/]*$/) - 1) : "" }
# The file an include names, or "" when there is none.
function resolve(from, name,    n, i, roots) {
    if ((dirname(from) "/" name) in exists) return dirname(from) "/" name
    n = split(ENVIRON["ROOTS"], roots, " ")
    for (i = 1; i <= n; i++)
        if ((roots[i] "/" name) in exists) return roots[i] "/" name
    return ""
}
function library(path) { return substr(path, 1, index(path, "/") - 1) }
# The folder of a file inside its library, "" when its library has none.
function folder(path,    rest) {
    if (!(library(path) in folders)) return ""
    rest = substr(path, index(path, "/") + 1)
    return index(rest, "/") ? substr(rest, 1, index(rest, "/") - 1) : "(none)"
}
function rank(lib, dir,    n, i, list) {
    n = split(folders[lib], list, " ")
    for (i = 1; i <= n; i++) if (list[i] == dir) return i
    return 0
}
function wrong(file, line, text) {
    printf "src/%s:%d: %s\n", file, line, text
    failed = 1
}
BEGIN {
    table(ENVIRON["LIBRARIES"], below)
    table(ENVIRON["FOLDERS"], folders)
    n = split(ENVIRON["KNOWN"], lines, "\n")
    for (i = 1; i <= n; i++)
        if (split(lines[i], w, " ") == 2) known[w[1] " " w[2]] = 0
}
{ exists[$0] = 1; files[++count] = $0 }
END {
    for (f = 1; f <= count; f++) {
        file = files[f]
        lib = library(file)
        if (!(lib in below)) { wrong(file, 1, "library " lib " is not in the table of layers"); continue }
        dir = folder(file)
        if (dir == "(none)") { wrong(file, 1, "a file of " lib " outside its folders"); continue }
        if (dir != "" && !rank(lib, dir)) { wrong(file, 1, "folder " lib "/" dir " is not in the table of layers"); continue }
        line = 0
        while ((getline text < file) > 0) {
            line++
            if (text !~ /^[ \t]*#[ \t]*include/) continue
            if (text ~ /\.\.\//) { wrong(file, line, "an include with \"../\": name the file from its library folder"); continue }
            if (!match(text, /"[^"]+"/)) continue
            name = substr(text, RSTART + 1, RLENGTH - 2)
            base = name; sub(/.*\//, "", base)
            if (base ~ ENVIRON["GENERATED"]) continue
            target = resolve(file, name)
            if (target == "") { wrong(file, line, "includes \"" name "\", which names no file in src/"); continue }
            if ((file " " name) in known) { known[file " " name]++; continue }
            tlib = library(target)
            if (tlib != lib) {
                if (index(below[lib], " " tlib " ") == 0)
                    wrong(file, line, "includes \"" name "\": library " lib " may not include library " tlib)
            } else if (dir != "" && rank(lib, folder(target)) > rank(lib, dir)) {
                wrong(file, line, "includes \"" name "\": " lib "/" dir " may not include " lib "/" folder(target))
            }
        }
        close(file)
    }
    for (k in known) if (known[k] == 0) {
        split(k, w, " ")
        at = 0
        while ((getline text < ENVIRON["SELF"]) > 0) {
            at++
            if (split(text, words, " ") == 2 && words[1] == w[1] && words[2] == w[2]) break
        }
        close(ENVIRON["SELF"])
        printf "tests/layering.sh:%d: src/%s no longer includes \"%s\": take it off the known exceptions\n", at, w[1], w[2]
        failed = 1
    }
    exit failed
}'
