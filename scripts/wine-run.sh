#!/usr/bin/env bash
# Runs a program of the Windows build under Wine's 64-bit loader, in a private prefix
# and without Wine's own diagnostics. The prefix is created on first use.
# Usage: WINEPREFIX=/absolute/prefix scripts/wine-run.sh program.exe [arguments]
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to a private prefix, e.g. \$PWD/build/windows/wine}"
export WINEPREFIX
export WINEDEBUG=-all
# Nothing here needs .NET, HTML or desktop menu entries: skipping them keeps the
# first start short and leaves the home folder alone.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
exec /usr/lib/wine/wine64 "$@"
