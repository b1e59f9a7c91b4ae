#!/bin/sh
# wine-dpi.sh DPI PROGRAM ARGS...: runs PROGRAM under Wine with the display set to DPI dots per
# inch, then sets the prefix back to its default.
dpi=$1
shift
key='HKCU\Control Panel\Desktop'
wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wine "$@"
status=$?
wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1
exit $status
