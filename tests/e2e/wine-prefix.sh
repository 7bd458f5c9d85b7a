#!/bin/sh
# The private Wine prefix of the wine tests: "boot" makes it afresh, "stop"
# ends every Wine process in it and removes it. Without Wine both do nothing,
# and the tests skip themselves.
# Usage: wine-prefix.sh boot|stop <prefix>
set -eu
command -v wineboot >/dev/null 2>&1 || { echo "Wine is not installed"; exit 0; }
export WINEPREFIX="$2" WINEDEBUG=-all
case "$1" in
boot)
    # A server left by an earlier run would serve the new prefix from the
    # removed one ("could not load kernel32.dll"), so it goes first.
    "$0" stop "$WINEPREFIX"
    # No Mono or Gecko: nothing is installed, nothing asks. A first boot
    # that fails at once ("could not load kernel32.dll", seen once under
    # load) gets one more try in a clean prefix.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i ||
        { "$0" stop "$WINEPREFIX" && WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i; }
    ;;
stop)
    [ -d "$WINEPREFIX" ] || exit 0
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    # A Wine process that was still ending may write its last file meanwhile.
    rm -rf "$WINEPREFIX" 2>/dev/null || { sleep 1 && rm -rf "$WINEPREFIX"; }
    ;;
esac
