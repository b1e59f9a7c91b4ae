#!/bin/sh
# Runs a Windows program under Wine: the cross build's emulator, through which ctest runs the
# Windows tests. scripts/test-windows sets up one Wine prefix and one display for a whole run;
# run without them, this makes a temporary prefix (and a virtual display) for the one program
# and removes them when it ends.
set -u
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: nothing here needs them, and their install prompts would wait forever.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX=$(mktemp -d)
  export WINEPREFIX
  trap 'wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
  wineboot -i >/dev/null 2>&1
fi
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
else
  wine "$@"
fi
