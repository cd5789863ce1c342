#!/usr/bin/env bash
# Installs whatever Quorvel needs to build and run that is not yet on this
# Debian 12 machine; with --tests, also what its tests run against, and with
# --bench what its running cost is measured against. Safe to run again: it
# does nothing when all is present.
set -euo pipefail

packages=(
  cmake g++ pkg-config make clang-format
  qt6-base-dev nlohmann-json3-dev libglib2.0-dev libxcb-ewmh-dev libwayland-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-material-design-icons-iconfont fonts-dejavu-core fonts-wqy-microhei
  dbus procps
  # Native windows on a Wayland session rather than XWayland's.
  qt6-wayland
)
if [[ ${1:-} == --tests ]]; then
  # Real desktops for the tests: an X server with a window manager and a
  # tray, and the Wayland compositors whose windows Quorvel follows.
  packages+=(xvfb openbox trayer xdotool sway kwin-wayland gnome-shell)
  # The accessibility bus a screen reader reads the panel through.
  packages+=(at-spi2-core)
  # The validators of the installed desktop entry, metainfo, unit and manual page.
  packages+=(desktop-file-utils appstream systemd man-db)
fi
if [[ ${1:-} == --bench ]]; then
  # The peers the running cost is measured beside, and the terminal btop needs.
  packages+=(procps btop util-linux)
fi
# Qt's SVG image and icon plugins: without them every application icon that
# exists only as SVG shows the generic symbol. Debian 12 ships them in the
# library's package, later releases in a package of their own.
if apt-cache show qt6-svg-plugins >/dev/null 2>&1; then
  packages+=(qt6-svg-plugins)
else
  packages+=(libqt6svg6)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
