#!/bin/sh
# Runs a Windows program under Wine: the cross build's emulator, through which ctest runs the
# Windows tests. scripts/test-windows sets up one Wine prefix and one display for a whole run;
# run without them, this makes a temporary prefix on a virtual display for the one program and
# removes both when it ends.
set -u
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: nothing here needs them, and their install prompts would wait forever.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

here=$(dirname "$0")
if [ -n "${NAMEWISP_TEST_DPI:-}" ]; then
  # A display of another density for this program: Wine reads it when a process starts.
  set -- "$here/wine-dpi.sh" "$NAMEWISP_TEST_DPI" "$@"
else
  set -- wine "$@"
fi
if [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX=$(mktemp -d)
  export WINEPREFIX
  trap 'wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
fi
# The prefix is made on the display the program will use: Wine's desktop keeps the first one.
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '"$0" && "$@"' "$here/wine-prefix.sh" "$@"
