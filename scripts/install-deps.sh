#!/usr/bin/env bash
# Installs the Debian packages Pulvan builds and tests with; does nothing when they are all present.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev valgrind
  juce-modules-source-data nlohmann-json3-dev rapidjson-dev jackd2 libcairo2-dev libpango1.0-dev
  libx11-dev libgtk-3-dev libicu-dev xvfb x11-utils imagemagick fonts-dejavu-core midicsv ccache
  fonts-inter fonts-jetbrains-mono libxcb1-dev libxcb-xinput-dev libxcb-cursor-dev libxcb-xkb-dev libxcb-sync-dev
  libxkbcommon-dev libxkbcommon-x11-dev libdbus-1-dev dbus libxcb-xtest0-dev libxcb-xfixes0-dev x11-apps x11-xkb-utils
  libasound2-dev libjack-jackd2-dev binutils icu-devtools openbox icewm metacity mutter clang-format
  pipewire pipewire-bin pipewire-jack wireplumber dbus-daemon)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
