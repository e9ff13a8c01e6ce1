#!/bin/sh
# Runs a Windows test program under Wine with a prefix of its own, quietly.
# The prefix lives beside the program (in the build tree) unless the caller
# chose one, so test runs never touch a user's Wine setup.
: "${WINEPREFIX:=$(dirname "$(readlink -f "$1")")/../wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
exec "$wine" "$@"
