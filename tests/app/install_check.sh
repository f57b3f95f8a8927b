#!/bin/sh
# Installs the build into a fresh prefix and checks what a desktop needs: the
# command, the program it starts and the camera module beside it, a valid
# desktop entry and its icon.
set -eu
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/vopa-qrcode libexec/vopa-qrcode/vopa-qrcode libexec/vopa-qrcode/vopa-camera.so \
         share/applications/vopa-qrcode.desktop share/icons/hicolor/64x64/apps/vopa-qrcode.png; do
  [ -e "$prefix/$f" ] || { echo "FAIL: $f not installed"; exit 1; }
done
[ -x "$prefix/bin/vopa-qrcode" ] || { echo "FAIL: the command is not executable"; exit 1; }
desktop-file-validate "$prefix/share/applications/vopa-qrcode.desktop"
grep -qx "Exec=$prefix/bin/vopa-qrcode" "$prefix/share/applications/vopa-qrcode.desktop" \
  || { echo "FAIL: Exec does not name the installed command"; exit 1; }
grep -q "exec \"$prefix/libexec/vopa-qrcode/vopa-qrcode\"" "$prefix/bin/vopa-qrcode" \
  || { echo "FAIL: the command does not start the installed program"; exit 1; }
cmp -s "$prefix/share/icons/hicolor/64x64/apps/vopa-qrcode.png" "$(dirname "$0")/../../resources/images/icon/logo.png" \
  || { echo "FAIL: the icon is not the tray icon's picture"; exit 1; }
echo "installed and valid"
