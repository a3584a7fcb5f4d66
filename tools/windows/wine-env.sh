# Sourced by the scripts of tools/windows before they run Wine: no debug
# chatter, and no Mono or Gecko installer popping up in a new prefix. A
# caller's own settings win.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
