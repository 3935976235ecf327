#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the tests and the program need; a no-op when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-multimedia-dev qt6-tools-dev qt6-tools-dev-tools
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-templates qml6-module-qtqml-workerscript
  libgl-dev
  xvfb xauth libxcb1-dev
  sway wtype grim qt6-wayland
  fp-utils-3.2.2
  libcanberra-dev sound-theme-freedesktop
  libcap2-bin iproute2 util-linux strace
  clang libclang-rt-14-dev
  dpkg-dev lintian bash-completion
  libcli11-dev
  libnl-3-dev libnl-route-3-dev libsystemd-dev pkexec polkitd
  network-manager udev dbus-daemon systemd
  libiperf-dev iperf3 libcurl4-openssl-dev nlohmann-json3-dev iputils-ping python3
  clang-format
  devscripts udev ansible prometheus
  qt6-l10n-tools qt6-translations-l10n locales gettext
  at-spi2-core python3-pyatspi dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The German screens are checked under de_DE.UTF-8.
ensure_german_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  "${sudo_cmd[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  "${sudo_cmd[@]}" locale-gen
}

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ${#missing[@]} -eq 0 ]; then
  ensure_german_locale
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_german_locale
