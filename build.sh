#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and runs the program or its tests.
#   ./build.sh run              build and start the program (simulated mouse and receiver)
#   ./build.sh test             build and run every test
#   ./build.sh test --sanitize  the same with AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
sanitize=OFF
[ "${2:-}" = "--sanitize" ] && sanitize=ON

# Build and tests: the compiler, CMake with Ninja, Qt with moc/uic/rcc. `run` without a display:
# a virtual X server. Fonts: the forms' font is replaced with these (ui/widgets/skin.cpp).
# X11 extras: whether a compositing manager runs (ui/widgets/roundedwindow.cpp).
packages=(cmake ninja-build g++ qtbase5-dev qtbase5-dev-tools libqt5x11extras5-dev xvfb xauth
          fonts-dejavu-core fonts-wqy-microhei)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

builddir=build
[ "$sanitize" = ON ] && builddir=build-sanitize
jobs=$(nproc)

cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXO_SANITIZE="$sanitize" >/dev/null
cmake --build "$builddir" -j "$jobs"

case "$mode" in
  run)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "No display found: running under a virtual X server."
      exec xvfb-run -a "$builddir/dist/vexo"
    fi
    exec "$builddir/dist/vexo"
    ;;
  test)
    cd "$builddir"
    ctest -j "$jobs" --output-on-failure --timeout 600
    ;;
  *)
    echo "usage: $0 run | test [--sanitize]" >&2
    exit 2
    ;;
esac
