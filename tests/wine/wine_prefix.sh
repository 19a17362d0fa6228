#!/bin/sh
# CTest fixture: a throwaway Wine prefix for one test run.
#   wine_prefix.sh setup|cleanup PREFIX
set -eu
action=$1
prefix=$2
export WINEPREFIX="$prefix" WINEDEBUG=-all
case "$action" in
  setup)
    rm -rf "$prefix"
    wineboot --init >/dev/null 2>&1
    wineserver --wait
    ;;
  cleanup)
    wineserver --kill || true
    rm -rf "$prefix"
    ;;
esac
