#!/usr/bin/env bash
# Runs one Windows program of the build under wine: wine-run.sh BUILD_DIR
# PROGRAM ARGS... The wine prefix lives in the build folder (created on first
# use, one creator at a time), one persistent wineserver serves every program
# of a test run and ends by itself five minutes after the last one, and wine's own
# diagnostics stay quiet.
set -euo pipefail
build_dir=$1
shift
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot --init >/dev/null 2>&1 || true
    wineserver -w
  fi
) 9>"$build_dir/wineprefix.lock"
wineserver -p300 >/dev/null 2>&1 || true
exec wine "$@"
