#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and runs the program or its tests.
#   ./build.sh run              build and start the program (simulated mouse and receiver)
#   ./build.sh test             build and run every test
#   ./build.sh test --sanitize  the same with AddressSanitizer and UndefinedBehaviorSanitizer
# JOBS=n limits the parallel compile jobs (and test runs); the default is one per processor.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
sanitize=OFF
[ "${2:-}" = "--sanitize" ] && sanitize=ON

jobs=${JOBS:-$(nproc)}
if ! [[ "$jobs" =~ ^[1-9][0-9]*$ ]]; then
  echo "JOBS must be a whole number of at least 1, not \"$jobs\"" >&2
  exit 2
fi

case "$mode" in
  run|test) ;;
  *)
    echo "usage: [JOBS=n] $0 run | test [--sanitize]" >&2
    exit 2
    ;;
esac

# Build and tests: the compiler, CMake with Ninja, Qt with moc/uic/rcc. `run` without a display:
# a virtual X server. Fonts: the forms' font is replaced with these (ui/widgets/skin.cpp).
# X11 extras: whether a compositing manager runs (ui/widgets/roundedwindow.cpp).
# Qt's own dialogs (colours, files) speak the chosen language through Qt's translations.
packages=(cmake ninja-build g++ qtbase5-dev qtbase5-dev-tools libqt5x11extras5-dev xvfb xauth
          fonts-dejavu-core fonts-wqy-microhei qttranslations5-l10n)
# The tray test: a window manager with a system tray, and real pointer clicks.
if [ "$mode" = test ]; then
  packages+=(icewm xdotool)
fi
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
cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXO_SANITIZE="$sanitize" >/dev/null
if [ "$mode" = run ]; then
  # The program, its library, its data and the plug tool; not the test suites.
  cmake --build "$builddir" -j "$jobs" --target vexo vexo-sim
else
  cmake --build "$builddir" -j "$jobs"
fi

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
esac
