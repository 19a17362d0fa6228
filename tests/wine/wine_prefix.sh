#!/bin/sh
# CTest fixture: a throwaway Wine prefix for one test run.
#   wine_prefix.sh setup|cleanup PREFIX
set -eu
action=$1
prefix=$2
export WINEPREFIX="$prefix" WINEDEBUG=-all
case "$action" in
  setup)
    wineserver --kill 2>/dev/null || true
    rm -rf "$prefix"
    mkdir -p "$prefix"
    # One wineserver for the whole run, started here with nothing but
    # /dev/null open. Started on demand by a test's wine instead, it would
    # inherit that test's output pipe and hold it open until the server
    # exits, and the test would wait for the end of output that long.
    wineserver --persistent </dev/null >/dev/null 2>&1
    wineboot --init </dev/null >/dev/null 2>&1
    ;;
  cleanup)
    wineserver --kill 2>/dev/null || true
    rm -rf "$prefix"
    ;;
esac
