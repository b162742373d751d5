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

shoot() {  # shoot <language> <folder> <locale> <example>...
  local home
  home=$(mktemp -d)
  HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=xcb LANG=$3 LC_ALL=$3 \
    xvfb-run -a -s "-screen 0 1280x900x24" \
    ./build/bin/tavix-screenshots "docs/screenshots/$2" "$1" "${@:4}"
  rm -rf "$home"
}
shoot ENGLISH en en_US.UTF-8 "data/Examples/Invoice.TXL" "data/Examples/Meeting Minutes.TXL"
shoot Deutsch de de_DE.UTF-8 "data/Examples/Angebot.TXL" "data/Examples/Besprechungsprotokoll.TXL"
