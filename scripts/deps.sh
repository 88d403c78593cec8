#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need, when missing.
# Usage: scripts/deps.sh [--gui-test | --fuzz | --package | --bench | --format]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev)
# The tests' plain network search does its exact arithmetic in GMP's rationals.
packages+=(libgmp-dev)
# The command line's json output hashes the library with Nettle's SHA-256.
packages+=(nettle-dev)
# Inventory.csv and the order exports it is imported from are read with libcsv.
packages+=(libcsv-dev)
# board chooses its circuits' rows with CBC's integer programming.
packages+=(coinor-libcbc-dev)
# The window: a Ming face with SimSun's metrics and a CJK fallback, the Wayland platform
# plugin, and xvfb-run for machines without a display.
packages+=(fonts-arphic-uming fonts-wqy-zenhei fonts-dejavu-core qt6-wayland xvfb xauth)
# The tests: python3 parses the command line's csv and json output; zsh and fish load its
# shell completions.
if [[ "${1:-}" == "--gui-test" ]]; then
  packages+=(xdotool x11-utils xclip openbox imagemagick locales python3 zsh fish)
  # The screen-reader test: a D-Bus session, the AT-SPI bus and registry, and the Python
  # bindings that read the window through them.
  packages+=(dbus-daemon at-spi2-core python3-pyatspi)
fi
# bench/run.sh times whole vantrel-cli processes with hyperfine and /usr/bin/time.
if [[ "${1:-}" == "--bench" ]]; then
  packages+=(hyperfine time)
fi
# The fuzz target needs clang and its libFuzzer runtime; normal builds use g++ alone.
if [[ "${1:-}" == "--fuzz" ]]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi
# The .deb: dpkg-shlibdeps computes its Depends; groff, man, desktop-file-validate,
# appstreamcli and lintian check the manual pages, desktop file, metainfo and the whole of it.
if [[ "${1:-}" == "--package" ]]; then
  packages+=(dpkg-dev groff-base desktop-file-utils appstream lintian man-db)
fi

if [[ "${1:-}" == "--format" ]]; then
  packages+=(clang-format)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The tests also run under German and French locales, whose decimal separator is a comma.
if [[ "${1:-}" == "--gui-test" ]]; then
  for loc in de_DE fr_FR; do
    if ! locale -a 2>/dev/null | grep -qi "^${loc}\.utf-\?8$"; then
      "${sudo[@]}" localedef -i "$loc" -f UTF-8 "$loc.UTF-8"
    fi
  done
fi

