#!/usr/bin/env bash
# Runs one Windows program of the build under wine: wine-run.sh BUILD_DIR
# PROGRAM ARGS... The wine prefix lives in the build folder (created on first
# use, one creator at a time), one persistent wineserver serves every program
# of a test run and ends by itself five minutes after the last one, and wine's
# own diagnostics stay quiet.
#
# The wineserver and wine's services outlive the program that started them,
# so they are started from here with no descriptor of the caller's: a build
# tool or test driver waiting for the end of its pipes must not wait for them.
set -euo pipefail
build_dir=$1
shift
for fd in /proc/$$/fd/*; do
  fd=${fd##*/}
  if [ "$fd" -gt 2 ]; then eval "exec $fd>&-"; fi
done
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
exec 9>"$build_dir/wineprefix.lock"
flock 9
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
  wineserver -w 9>&-
fi
# Exit status 0: no server ran, this one is new; its session starts here.
if wineserver -p300 </dev/null >/dev/null 2>&1 9>&-; then
  wine wineboot </dev/null >/dev/null 2>&1 9>&- || true
fi
exec 9>&-
exec wine "$@"
