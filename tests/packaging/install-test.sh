#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks it as a desktop would see it:
# the file tree, the launcher, AppStream and MIME files with their validators, the file
# type of a template, and the installed programs running from the prefix.
# Usage: install-test.sh BUILD-FOLDER SOURCE-FOLDER
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
unset XDG_DOCUMENTS_DIR XDG_DATA_HOME XDG_CONFIG_HOME
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

id=org.tavix.Tavix
for file in bin/tavix bin/tavix-fill \
    share/Tavix/KONFIGURATION.XML share/Tavix/ENGLISH.SPR share/Tavix/Deutsch.SPR \
    share/Tavix/ENGLISH.qch share/Tavix/Deutsch.qch share/Tavix/Examples/Invoice.TXL \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/mime/packages/$id.xml \
    share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/128x128/apps/$id.png \
    share/icons/hicolor/256x256/apps/$id.png \
    share/icons/hicolor/scalable/mimetypes/application-x-tavix-template.svg \
    share/icons/hicolor/48x48/mimetypes/application-x-tavix-document-data.png \
    share/man/man1/tavix.1 share/man/man1/tavix-fill.1 \
    share/bash-completion/completions/tavix-fill; do
  [ -s "$prefix/$file" ] || fail "missing $file"
done
[ -x "$prefix/bin/tavix" ] || fail "tavix is not executable"
file "$prefix/share/icons/hicolor/256x256/apps/$id.png" | grep -q "256 x 256" || fail "icon size"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop file"
appstreamcli validate --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
for page in tavix tavix-fill; do
  MAN_DISABLE_SECCOMP=1 man --warnings -l -Tutf8 "$prefix/share/man/man1/$page.1" >/dev/null 2>"$work/man.log" ||
    fail "man page $page"
  [ ! -s "$work/man.log" ] || { cat "$work/man.log"; fail "man page $page warnings"; }
done
bash -n "$prefix/share/bash-completion/completions/tavix-fill" || fail "completion script"

# The MIME database built from the installed package file, as the desktop builds it.
mkdir -p "$work/xdg"
cp -r "$prefix/share/mime" "$work/xdg/"
XDG_DATA_HOME=$work/xdg XDG_DATA_DIRS=/usr/share update-mime-database "$work/xdg/mime" 2>"$work/mime.log"
! grep -qi "error\|warning" "$work/mime.log" || { cat "$work/mime.log"; fail "MIME file"; }
cp "$source/data/Examples/Invoice.TXL" "$work/lower.txl"
cp "$source/data/Examples/Invoice.TXL" "$work/no-extension"
for file in "$source/data/Examples/Invoice.TXL" "$work/lower.txl" "$work/no-extension"; do
  type=$(XDG_DATA_HOME=$work/xdg XDG_DATA_DIRS=/usr/share xdg-mime query filetype "$file")
  [ "$type" = application/x-tavix-template ] || fail "$file is $type"
done
touch "$work/data.DXL"
type=$(XDG_DATA_HOME=$work/xdg XDG_DATA_DIRS=/usr/share xdg-mime query filetype "$work/data.DXL")
[ "$type" = application/x-tavix-document-data ] || fail "a .DXL is $type"

# The installed programs find their data from the prefix.
home=$work/home
mkdir -p "$home"
HOME=$home XDG_CONFIG_HOME=$home/.config "$prefix/bin/tavix-fill" \
  "$prefix/share/Tavix/Examples/Business Letter.TXL" -o "$work/out.docx" >/dev/null
[ "$(head -c 2 "$work/out.docx")" = PK ] || fail "tavix-fill made no document"
# Started offscreen, it must prepare the user's folders from the prefix and keep running.
HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=offscreen "$prefix/bin/tavix" 2>"$work/tavix.log" &
pid=$!
for _ in $(seq 1 300); do
  [ -s "$home/.config/Tavix/KONFIGURATION.XML" ] && [ -s "$home/Documents/Tavix/Invoice.TXL" ] && break
  sleep 0.1
done
sleep 0.5
kill -0 "$pid" 2>/dev/null || { cat "$work/tavix.log"; fail "tavix ended instead of running"; }
kill "$pid"
wait "$pid" 2>/dev/null || true
[ -s "$home/.config/Tavix/KONFIGURATION.XML" ] || fail "no configuration copied from the prefix"
[ -s "$home/Documents/Tavix/Invoice.TXL" ] || fail "no examples copied from the prefix"
echo "install test: passed"
