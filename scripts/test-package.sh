#!/usr/bin/env bash
# Installs the Debian package the way a user does (apt-get install ./tavix_*.deb) into a
# throw-away Debian 12 root made from Debian's packages, and runs tavix-fill and an
# offscreen tavix start there. Needs root, mmdebstrap and the package mirror.
# Usage: scripts/test-package.sh [BUILD-FOLDER]   (default: build; the package is made there)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
command -v mmdebstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends mmdebstrap
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/tavix_*_*.deb)
cp "$deb" "$work/tavix.deb"

# The suite and mirror this machine's apt uses (the throw-away root gets the same).
mmdebstrap --variant=apt --quiet \
  --customize-hook="copy-in $work/tavix.deb /tmp" \
  --customize-hook='chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/tavix.deb' \
  --customize-hook='chroot "$1" sh -ec "
      mkdir -p /tmp/home
      export HOME=/tmp/home
      tavix-fill \"/usr/share/Tavix/Examples/Business Letter.TXL\" -o /tmp/letter.docx
      test \"\$(head -c 2 /tmp/letter.docx)\" = PK
      set +e
      QT_QPA_PLATFORM=offscreen timeout 5 tavix
      status=\$?
      set -e
      test \$status -eq 124
      test -s /tmp/home/.config/Tavix/KONFIGURATION.XML
      echo installed package: tavix-fill and tavix ran
  "' \
  bookworm "$work/root.tar" /etc/apt/sources.list.d/*.sources
echo "package test in a Debian 12 root: passed"
