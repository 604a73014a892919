#!/bin/sh
# Runs a Windows test program under Wine with the test session's prefix.
# The session (tests/wine/session.sh) exports WINEPREFIX, DISPLAY and the
# loader VX_WINE that matches the build's bitness.
exec "${VX_WINE:-wine}" "$@"
