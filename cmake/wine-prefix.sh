#!/bin/sh
# Fills the Wine prefix named by WINEPREFIX for running Namewisp and its tests on a display
# that has no window manager, such as Xvfb.
set -e
wineboot -i >/dev/null 2>&1
# Unmanaged windows: Wine draws their frames itself and, with no window manager to answer,
# would otherwise wait two seconds for one each time a window goes away.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
