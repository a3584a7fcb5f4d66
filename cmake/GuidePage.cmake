# cmake -DCMARK_GFM=... -DSOURCE=guide.md -DPAGE=guide.html -P GuidePage.cmake
#
# One page: the converted Markdown inside a head with the title, the
# character set and a little style for reading. Headings get the anchors
# GitHub gives them, so that the contents' links work offline too.
execute_process(
    COMMAND ${CMARK_GFM} --to html --extension table --extension autolink ${SOURCE}
    OUTPUT_VARIABLE body RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR body STREQUAL "")
    message(FATAL_ERROR "cmark-gfm could not convert ${SOURCE}: ${status} ${errors}")
endif()

string(REGEX MATCHALL "<h[1-6]>[^<]*</h[1-6]>" headings "${body}")
foreach(heading IN LISTS headings)
    string(REGEX REPLACE "^<h([1-6])>.*" "\\1" level "${heading}")
    string(REGEX REPLACE "^<h[1-6]>(.*)</h[1-6]>$" "\\1" text "${heading}")
    # GitHub's anchor: lower case, punctuation dropped, blanks as hyphens.
    string(REGEX REPLACE "&[a-z]+;" "" anchor "${text}")
    string(TOLOWER "${anchor}" anchor)
    string(REGEX REPLACE "[^a-z0-9 _-]" "" anchor "${anchor}")
    string(REPLACE " " "-" anchor "${anchor}")
    string(REPLACE "${heading}" "<h${level} id=\"${anchor}\">${text}</h${level}>" body "${body}")
endforeach()

string(REGEX MATCH "<h1[^>]*>([^<]*)</h1>" _ "${body}")
set(title "${CMAKE_MATCH_1}")
file(WRITE ${PAGE} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>${title}</title>
<style>
body { font-family: sans-serif; line-height: 1.5; max-width: 50em; margin: 1em auto; padding: 0 1em; }
code, pre { font-family: monospace; background: #f4f4f4; }
pre { padding: 0.5em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
img { max-width: 100%; }
</style>
</head>
<body>
${body}</body>
</html>
")
