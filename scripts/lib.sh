# Shared steps of scripts/run and scripts/test (sourced, not run).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${QB_BUILD_DIR:-$root/build}

# Debian 12 packages for building, and those the tests drive the program with.
build_packages="cmake g++ make ccache pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev qt6-webengine-dev libx11-dev libxtst-dev libxcb1-dev libxcb-xfixes0-dev libicu-dev libglib2.0-dev libwayland-dev libxkbcommon-dev fonts-noto-cjk qt6-translations-l10n"
# Every program a test starts comes from one of these: xset from x11-xserver-utils, xwininfo from x11-utils,
# setxkbmap from x11-xkb-utils, import from imagemagick-6.q16, gsettings from libglib2.0-bin (GNOME's shortcut schemas from
# gnome-settings-daemon-common); the package check runs lintian, dpkg-deb (dpkg), file, man (man-db) and the validators.
# The Wayland rig runs sway (with xwayland) under unshare (util-linux), dbus-daemon, xdpyinfo (x11-utils), wl-copy and
# wl-paste (wl-clipboard) and targets on Qt's Wayland plugin (qt6-wayland); wayland-info (wayland-utils) lists a
# compositor's globals when a run needs looking into.
test_packages="xvfb xauth openbox trayer xdotool xclip x11-utils x11-xserver-utils imagemagick imagemagick-6.q16 xterm x11-xkb-utils lintian dpkg dpkg-dev file desktop-file-utils appstream man-db libglib2.0-bin gnome-settings-daemon-common sway xwayland wl-clipboard wayland-utils qt6-wayland dbus-daemon"

ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Rebuilds of the same sources (another clone, another build folder) come from the cache.
export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1

# Configures and builds; extra arguments go to the configure step. QB_TARGETS limits the build.
build() {
  cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=${QB_BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$build_dir" -j2 ${QB_TARGETS:+--target $QB_TARGETS}
}
