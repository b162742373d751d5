#!/usr/bin/env bash
# Quick start for a fresh Debian 12 machine: installs what is missing, builds, and then
#   run  [FILE]  starts the program (FILE: a template or document data to open); without a
#                display it makes the document of an example template (or FILE) instead
#   test         runs every test, once more under the sanitizers, each fuzz target
#                for 30 seconds, and installs the Debian package into a throw-away
#                Debian 12 root
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n qt6-tools-dev qt6-documentation-tools libqt6sql6-sqlite libpugixml-dev libzip-dev
  libreoffice-writer libreoffice-dev xdg-utils
  xvfb x11-utils
  desktop-file-utils appstream shared-mime-info librsvg2-bin dpkg-dev libfile-mimeinfo-perl file man-db
  mmdebstrap
  clang libclang-rt-14-dev python3 python3-uno poppler-utils
)

install_missing() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {  # build <folder> [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir"
}

run_tests() {
  export QT_QPA_PLATFORM=offscreen
  build build
  ctest --test-dir build --output-on-failure -j"$(nproc)"
  # Every library, the window and its dialogs included, once more under the sanitizers.
  build build-sanitize -DTAVIX_SANITIZE=ON -DTAVIX_BUILD_GUI=ON -DTAVIX_BUILD_BENCH=OFF
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
  # Every fuzz target for a short while, from its seeds: no finding allowed.
  bash scripts/fuzz.sh ci 30
  # The Debian package installed with apt-get into a throw-away Debian 12 root (needs root).
  if [ "$(id -u)" -eq 0 ]; then
    bash scripts/test-package.sh build
  else
    echo "Skipping the package installation test: it needs root." >&2
  fi
}

run_program() {
  build build
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec ./build/bin/tavix "$@"
  fi
  echo "No display found: start ./build/bin/tavix from a desktop session to use the window." >&2
  echo "Meanwhile, the document of an example template, made with its default answers:" >&2
  mkdir -p out
  ./build/bin/tavix-fill "${1:-data/Examples/Invoice.TXL}" -o out
}

case "${1:-}" in
  run)  shift; install_missing; run_program "$@" ;;
  test) install_missing; run_tests ;;
  *)    echo "usage: $0 run [FILE] | test" >&2; exit 2 ;;
esac
