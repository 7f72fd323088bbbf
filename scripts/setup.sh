# Shared by scripts/run and scripts/test: installs what the build needs and builds the tree.
# Sourced, not run.

TAVRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build, the tests and the tools need.
TAVRIN_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libhidapi-dev libudev-dev
  googletest libgtest-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  qt6-base-dev fonts-dejavu-core fonts-wqy-microhei fontconfig
  xvfb trayer xdotool x11-utils dbus-daemon
  qemu-system-x86 busybox-static cpio xz-utils udev
  dpkg-dev file lintian desktop-file-utils appstream man-db groff-base
)

tavrin_install_packages() {
  local missing=()
  for package in "${TAVRIN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# tavrin_build DIR [cmake options...]
tavrin_build() {
  local dir=$1
  shift
  cmake -S "$TAVRIN_ROOT" -B "$dir" -G Ninja -DTAVRIN_WERROR=ON "$@" >/dev/null
  cmake --build "$dir"
}
