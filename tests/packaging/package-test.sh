#!/usr/bin/env bash
# Builds the Debian package from the build folder, checks its control fields and file
# list, unpacks it into a scratch root and runs the unpacked tavix-fill on an example.
# Usage: package-test.sh BUILD-FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/tavix_*_*.deb)
version=$(sed -n 's/^project(Tavix VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not the project's $version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6help6 libqt6sql6-sqlite libzip4 libpugixml1v5 shared-mime-info; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *libreoffice-writer* ]] || fail "LibreOffice Writer is not recommended"
dpkg-deb --ctrl-tarfile "$deb" | tar -t > "$work/control"
grep -q '^./postinst$' "$work/control" || fail "no postinst"

dpkg -c "$deb" | awk '{print $6}' > "$work/files"
for file in ./usr/bin/tavix ./usr/bin/tavix-fill ./usr/share/Tavix/ENGLISH.qch \
    ./usr/share/applications/org.tavix.Tavix.desktop ./usr/share/mime/packages/org.tavix.Tavix.xml \
    ./usr/share/metainfo/org.tavix.Tavix.metainfo.xml ./usr/share/man/man1/tavix-fill.1 \
    ./usr/share/icons/hicolor/256x256/apps/org.tavix.Tavix.png; do
  grep -qx "$file" "$work/files" || fail "the package lacks $file"
done
! grep -q '^./usr/local' "$work/files" || fail "files under /usr/local"

root=$work/root
dpkg -x "$deb" "$root"
home=$work/home
mkdir -p "$home"
env -u XDG_DOCUMENTS_DIR HOME="$home" XDG_CONFIG_HOME="$home/.config" "$root/usr/bin/tavix-fill" \
  "$root/usr/share/Tavix/Examples/Business Letter.TXL" -o "$work/letter.docx" >/dev/null
[ "$(head -c 2 "$work/letter.docx")" = PK ] || fail "the unpacked tavix-fill made no document"
echo "package test: passed"
