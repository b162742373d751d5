#!/usr/bin/env bash
# Pictures of the main window and of each answer dialog, in English and in German, taken
# from the real program under a virtual X server. Writes docs/screenshots/{en,de}/.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v xvfb-run >/dev/null || {
  [ "$(id -u)" -eq 0 ] && sudo=() || sudo=(sudo)
  "${sudo[@]}" apt-get install -y -q --no-install-recommends xvfb xauth
}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tavix-screenshots

shoot() {  # shoot <language> <folder> <example> <locale>
  local home
  home=$(mktemp -d)
  HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=xcb LANG=$4 LC_ALL=$4 \
    xvfb-run -a -s "-screen 0 1280x900x24" \
    ./build/bin/tavix-screenshots "docs/screenshots/$2" "$1" "$3"
  rm -rf "$home"
}
shoot ENGLISH en "data/Examples/Invoice.TXL" en_US.UTF-8
shoot Deutsch de "data/Examples/Angebot.TXL" de_DE.UTF-8
