#!/bin/sh
# install_package_test.sh CMAKE CPACK BUILD_DIR gui|nogui
#
# Makes the Debian package of the build tree, unpacks it into a fresh folder
# root and runs the installed qinghe-taotu-cli --demo there. Fails when the
# package lacks a program, its desktop entry and icon do not match whether the
# desktop program was built, its dependencies name Qt without the desktop
# program, or the installed demo writes no pictures and no data package.
set -eu
cmake_command=$1
cpack_command=$2
build_dir=$3
gui=$4

work=$(mktemp -d "${TMPDIR:-/tmp}/qinghe-install.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cpack_command" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb=$(find "$work/package" -maxdepth 1 -name 'qinghe-taotu_*.deb' | head -n 1)
[ -n "$deb" ] || { cat "$work/cpack.log" >&2; fail "no qinghe-taotu_*.deb made"; }
echo "package: $(basename "$deb")"

[ "$(dpkg-deb -f "$deb" Package)" = "qinghe-taotu" ] || fail "package name is not qinghe-taotu"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
case "$depends" in
  *libcurl*) ;;
  *) fail "Depends does not name libcurl" ;;
esac

root="$work/root"
mkdir "$root"
dpkg-deb -x "$deb" "$root"
cli="$root/usr/bin/qinghe-taotu-cli"
[ -x "$cli" ] || fail "usr/bin/qinghe-taotu-cli missing from the package"

desktop_entry="$root/usr/share/applications/qinghe-taotu.desktop"
icon="$root/usr/share/icons/hicolor/128x128/apps/qinghe-taotu.png"
if [ "$gui" = gui ]; then
  [ -x "$root/usr/bin/qinghe-taotu" ] || fail "usr/bin/qinghe-taotu missing from the package"
  [ -f "$desktop_entry" ] || fail "desktop entry missing"
  [ -f "$icon" ] || fail "icon missing"
  grep -qx 'Exec=qinghe-taotu' "$desktop_entry" || fail "desktop entry does not start qinghe-taotu"
  grep -qx 'Icon=qinghe-taotu' "$desktop_entry" || fail "desktop entry names another icon"
  case "$depends" in
    *libqt6widgets*) ;;
    *) fail "desktop program packaged without a Qt dependency" ;;
  esac
else
  [ ! -e "$root/usr/bin/qinghe-taotu" ] || fail "desktop program packaged although not built"
  [ ! -e "$desktop_entry" ] || fail "desktop entry packaged without the desktop program"
  case "$depends" in
    *qt6*) fail "Depends names Qt without the desktop program" ;;
  esac
fi
# The icon must be a PNG picture, not a placeholder.
if [ -f "$icon" ]; then
  [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "icon is not a PNG"
fi

# Run the installed program from a folder outside the build and source trees.
save="$work/save"
mkdir "$save"
(cd "$work" && "$cli" --help >/dev/null) || fail "installed qinghe-taotu-cli --help failed"
(cd "$work" && "$cli" --demo --save "$save" >"$work/demo.log" 2>&1) ||
  { cat "$work/demo.log" >&2; fail "installed qinghe-taotu-cli --demo failed"; }

grep -q '全部下载完毕' "$work/demo.log" || { cat "$work/demo.log" >&2; fail "the demo batch did not end"; }
pictures=$(find "$save" -type f \( -name '*.jpg' -o -name '*.png' -o -name '*.gif' -o -name '*.tbi' \) | wc -l)
packages=$(find "$save" -type f -name '*.csv' | wc -l)
echo "demo wrote $pictures pictures and $packages data package files"
[ "$pictures" -gt 0 ] || { cat "$work/demo.log" >&2; find "$save" >&2; fail "the demo wrote no pictures"; }
[ "$packages" -gt 0 ] || { cat "$work/demo.log" >&2; find "$save" >&2; fail "the demo wrote no data package"; }
# Nothing but the save folder may have been written in the temporary root.
stray=$(find "$work" -mindepth 1 -maxdepth 1 ! -name package ! -name root ! -name save \
        ! -name cpack.log ! -name demo.log)
[ -z "$stray" ] || fail "files written outside the save folder: $stray"
echo "PASS"
