#!/usr/bin/env bash
# Installs the build into a scratch root as a Linux package does (prefix /usr,
# DESTDIR), checks the layout, and starts the installed program on simulated
# devices: it must find its skin (and so its factory default files beside it)
# in /usr/share/varnacle-driver without any setting.
#   installed_tree_test.sh <cmake> <build folder>
set -euo pipefail
cmake_command=$1
build=$2
scratch=$(mktemp -d)
program_pid=""
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill -KILL "$program_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

root=$scratch/root
DESTDIR=$root "$cmake_command" --install "$build" --prefix /usr >"$scratch/install.log"

fail() {
  echo "installed tree: $*" >&2
  exit 1
}
for file in \
  usr/bin/varnacle-driver usr/bin/varnacle-hid \
  usr/share/varnacle-driver/skin/res.xml usr/share/varnacle-driver/skin/common/icon.png \
  usr/share/varnacle-driver/kbdengdefault.led usr/share/varnacle-driver/kbkeydefault.pro \
  usr/share/varnacle-driver/msdengdefault.led usr/share/varnacle-driver/mskeydefault.pro \
  usr/share/varnacle-driver/mpdengdefault.led usr/share/varnacle-driver/name_1.cur \
  usr/share/varnacle-driver/name_4.cur \
  usr/share/varnacle-driver/kwin/foreground.js \
  usr/share/gnome-shell/extensions/foreground@varnacle.org/metadata.json \
  usr/share/gnome-shell/extensions/foreground@varnacle.org/extension.js \
  usr/lib/udev/rules.d/70-varnacle-driver.rules \
  usr/share/applications/org.varnacle.driver.desktop \
  usr/share/metainfo/org.varnacle.driver.metainfo.xml \
  usr/share/man/man1/varnacle-hid.1 \
  usr/share/icons/hicolor/scalable/apps/varnacle-driver.svg \
  usr/share/icons/hicolor/16x16/apps/varnacle-driver.png \
  usr/share/icons/hicolor/48x48/apps/varnacle-driver.png \
  usr/share/icons/hicolor/256x256/apps/varnacle-driver.png; do
  [ -s "$root/$file" ] || fail "$file is missing"
done
# Nothing but the two programs in bin/.
extra=$(find "$root/usr/bin" -mindepth 1 ! -name varnacle-driver ! -name varnacle-hid)
[ -z "$extra" ] || fail "unexpected in usr/bin: $extra"

home=$scratch/home
mkdir -p "$home/run"
chmod 700 "$home/run"
log=$scratch/program.log
(
  cd "$scratch"
  exec env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_RUNTIME_DIR="$home/run" \
    XDG_CONFIG_HOME="$home/config" QT_QPA_PLATFORM=offscreen VARNACLE_DEBUG=1 \
    "$root/usr/bin/varnacle-driver" --simulate
) 2>"$log" >/dev/null &
program_pid=$!

# The skin lies only in /usr/share/varnacle-driver, the folder that also holds
# the factory default files: the window is built from it. Wait (generously)
# for that.
deadline=$((SECONDS + 60))
until grep -q InitWindow "$log"; do
  kill -0 "$program_pid" 2>/dev/null || { cat "$log" >&2; fail "the program ended early"; }
  [ $SECONDS -lt $deadline ] || { cat "$log" >&2; fail "no window within 60 s"; }
  sleep 0.2
done

kill -TERM "$program_pid"
wait "$program_pid" || fail "the program did not end cleanly"
program_pid=""
echo "installed tree: layout complete; the installed program found its skin"
