#!/bin/sh
# wine.sh PREFIX WINE PROGRAM [ARGUMENT...]: runs a Windows program under WINE
# in the wine prefix PREFIX, quietly.
#
# Back-to-back programs share one wine server and its system processes: the
# server stays ten seconds after the last program ends. Otherwise each short
# test starts and stops them (seconds each time), and a program that meets a
# server on its way out fails to start.
WINEPREFIX=$1
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG
wine=$2
shift 2
# A server started here gets its system processes from a program of its own:
# they would hold the output of the first real program open until they end.
if "$(dirname "$wine")/wineserver" -p10 >/dev/null 2>&1; then
    "$wine" cmd /c exit >/dev/null 2>&1 </dev/null
fi
exec "$wine" "$@"
