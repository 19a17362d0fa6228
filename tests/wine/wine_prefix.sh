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
    # wineboot returns while the new prefix is still being set up; a test's
    # wine joining in would have to wait for it, with its output pipe held
    # open by the set-up processes. Wait until all of it has ended.
    wineboot --init </dev/null >/dev/null 2>&1
    wineserver --wait
    # Then one wineserver for the whole run, and Wine's own background
    # processes (services, explorer, ...), all started here with nothing but
    # /dev/null open. Started on demand by a test's wine instead, they would
    # inherit that test's output pipe and hold it open for as long as they
    # live, and the test would wait that long for the end of its output.
    wineserver --persistent </dev/null >/dev/null 2>&1
    wineboot </dev/null >/dev/null 2>&1
    ;;
  cleanup)
    wineserver --kill 2>/dev/null || true
    rm -rf "$prefix"
    ;;
esac
