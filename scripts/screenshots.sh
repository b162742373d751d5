#!/usr/bin/env bash
# Pictures of the main window and of each answer dialog, in English and in German, taken
# from the real program under a virtual X server, and of an example's document in
# LibreOffice when it is installed. Writes docs/screenshots/{en,de}/.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v xvfb-run >/dev/null || {
  [ "$(id -u)" -eq 0 ] && sudo=() || sudo=(sudo)
  "${sudo[@]}" apt-get install -y -q --no-install-recommends xvfb xauth
}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tavix-screenshots

# "7.4" of "LibreOffice 7.4.7.2 40(Build:2)"; empty without LibreOffice.
office_version() {
  command -v soffice >/dev/null && soffice --version 2>/dev/null | sed -n 's/^LibreOffice \([0-9]*\.[0-9]*\).*/\1/p' | head -1
}

shoot() {  # shoot <language> <folder> <locale> <example>...
  local home
  home=$(mktemp -d)
  # A LibreOffice profile that has seen its first start and shows no tips.
  mkdir -p "$home/.config/libreoffice/4/user"
  cat > "$home/.config/libreoffice/4/user/registrymodifications.xcu" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/Product"><prop oor:name="ooSetupLastVersion" oor:op="fuse"><value>$(office_version)</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
EOF
  HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=xcb LANG=$3 LC_ALL=$3 \
    xvfb-run -a -s "-screen 0 1280x900x24" \
    ./build/bin/tavix-screenshots "docs/screenshots/$2" "$1" "${@:4}"
  rm -rf "$home"
}
shoot ENGLISH en en_US.UTF-8 "data/Examples/Invoice.TXL" "data/Examples/Meeting Minutes.TXL"
shoot Deutsch de de_DE.UTF-8 "data/Examples/Angebot.TXL" "data/Examples/Besprechungsprotokoll.TXL"
