#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent and non-interactive; run it as root, or as a user who may use
# sudo: it elevates itself through sudo when needed.
#   --windows  also the Windows cross build: MinGW-w64 (posix threads) and
#              wine to run its tests (only the CI job that builds it pays).
set -euo pipefail

packages=(
  # toolchain and build
  cmake ninja-build g++ pkg-config
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # window layer: Qt 6 Widgets (its offscreen platform runs the tests headless) and a font;
  # Qt 6 SVG for the program icon the art generator writes
  qt6-base-dev libgl-dev libqt6gui6 fonts-dejavu-core qt6-svg-dev
  libx11-dev
  # Linux packaging: the Debian package's computed dependencies (dpkg-shlibdeps)
  # and the validators of the desktop entry and the AppStream metainfo
  dpkg-dev file desktop-file-utils appstream
  # running the demo on a machine without a desktop; the recording tests' own X server
  xvfb
  # the X11 input hooks (keyboard grab, XInput2 mouse events) and XTest for their tests
  libx11-dev libxi-dev libxtst-dev
  # the foreground program on KDE Plasma and GNOME Wayland desktops (session bus), and
  # its tests: a private bus, a headless wlroots compositor and two Wayland terminals
  libdbus-1-dev dbus-daemon sway foot
)

windows_packages=(
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64
)
for arg in "$@"; do
  case "$arg" in
    --windows) packages+=("${windows_packages[@]}") ;;
    *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
