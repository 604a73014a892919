#!/bin/sh
# Runs a Windows test program under Wine with the test session's prefix.
# The session (tests/wine/session.sh) exports WINEPREFIX and DISPLAY.
exec "${VX_WINE:-wine}" "$@"
