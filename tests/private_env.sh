# Sourced with a fresh directory as $1: points HOME, the XDG base directories and the runtime
# directory into it, and forgets the display and D-Bus sessions of whoever started the tests.
# Everything the tests, Qt, fontconfig, Mesa or the AT-SPI bus launcher write for "the user"
# then lands there: the AT-SPI bus socket of $XDG_RUNTIME_DIR (or ~/.cache without one), which
# every session of one user shares, no longer collides with a desktop or another suite beside.
private_root=$1
export HOME="$private_root/home"
export XDG_RUNTIME_DIR="$private_root/run"
export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
export XDG_DATA_HOME="$HOME/.local/share" XDG_STATE_HOME="$HOME/.local/state"
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS \
  SESSION_MANAGER XDG_SESSION_ID XDG_SEAT XDG_VTNR
unset private_root
