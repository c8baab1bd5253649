#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent: packages already present are skipped, and apt is not touched at all
# when nothing is missing.
set -euo pipefail

packages=(
  # toolchain; clang's sanitizer runtimes are only a recommendation of clang, which a minimal
  # install leaves out, and the sanitizer build cannot link without them
  build-essential cmake ninja-build clang libclang-rt-14-dev clang-format clang-tidy pkg-config
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libtinyobjloader-dev valgrind
  # window, input, audio
  libsdl2-dev libsdl2-mixer-dev
  # OpenGL and EGL; the Vulkan drivers give the reference frames a second GL driver (zink on lavapipe)
  libepoxy-dev libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri mesa-vulkan-drivers
  # effect compiler
  libshaderc-dev libspirv-cross-c-shared-dev spirv-headers
  # images, fonts, text triangulation, soundtrack
  libstb-dev libtiff-dev libglu1-mesa-dev libmp3lame-dev fonts-dejavu-core
  # real-window tests, soak, capture and the layering check
  xvfb xauth xdotool x11-utils ffmpeg time python3
  # the core fonts SDL's X11 message boxes are drawn with: without them no box can be shown
  xfonts-base
  # the native Wayland test: a headless compositor, a virtual keyboard, screenshots
  sway wtype grim
  # performance report (make bench)
  apitrace
  # manual pages (made at build time from --help), the packages and the checks of what they hold
  help2man dpkg-dev desktop-file-utils appstream lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "install-deps: installing ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
