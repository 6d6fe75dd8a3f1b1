#!/usr/bin/env bash
# Installs the already built program into a temporary DESTDIR (no build of its
# own) and checks the tree as the desktop, udev and man will see it, then runs
# the installed program from that tree.
# Arguments: the build folder, the project version.
set -euo pipefail
build=$1
version=$2

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { [ -e "$1" ] || fail "missing ${1#"$root"}"; }

need "$usr/bin/qpa3600"
need "$usr/bin/qpa3600-sim"
for skin in 01 02 03 04 05 06; do need "$usr/share/qpa3600/SkinsFile/$skin.ats"; done
need "$usr/share/qpa3600/PenData/green.dat"

desktop=$usr/share/applications/example.quorvane.qpa3600.desktop
need "$desktop"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
grep -qx 'Exec=qpa3600 %f' "$desktop" || fail "desktop entry: Exec"
for type in application/x-qpa3600-snapshot application/x-qpa3600-record; do
    grep -q "^MimeType=.*$type;" "$desktop" || fail "desktop entry does not list $type"
done

# The MIME package as the desktop reads it: compiled by update-mime-database
# (which rejects a malformed package), both globs defined.
mime=$usr/share/mime
need "$mime/packages/qpa3600.xml"
XDG_DATA_DIRS="$usr/share" update-mime-database "$mime" || fail "update-mime-database rejects the MIME package"
grep -qx '50:application/x-qpa3600-snapshot:\*\.zqm' "$mime/globs2" || fail "no glob *.zqm"
grep -qx '50:application/x-qpa3600-record:\*\.zqr' "$mime/globs2" || fail "no glob *.zqr"

metainfo=$usr/share/metainfo/example.quorvane.qpa3600.metainfo.xml
need "$metainfo"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "metainfo does not validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"

rule=$usr/lib/udev/rules.d/70-qpa3600.rules
need "$rule"
for key in 'ATTRS{idVendor}=="0483", ATTRS{idProduct}=="5732"' 'SYMLINK+="qpa3600-%k"' 'TAG+="uaccess"' 'ENV{ID_MM_DEVICE_IGNORE}="1"'; do
    grep -v '^#' "$rule" | grep -qF "$key" || fail "udev rule lacks $key"
done

# The example user unit of a recording starts the installed program.
unit=$usr/lib/systemd/user/qpa3600-record@.service
need "$unit"
grep -q "^ExecStart=/bin/sh -c 'exec \"\$\$0\" record .*' qpa3600\$" "$unit" ||
    fail "the recording unit does not start qpa3600 record"

for page in qpa3600.1.gz qpa3600-sim.1.gz; do
    need "$usr/share/man/man1/$page"
    gzip -t "$usr/share/man/man1/$page" || fail "$page is not a gzip file"
done

icons=$usr/share/icons/hicolor
for icon in apps/example.quorvane.qpa3600 mimetypes/application-x-qpa3600-snapshot \
            mimetypes/application-x-qpa3600-record; do
    need "$icons/scalable/$icon.svg"
    for size in 48 128 256; do need "$icons/${size}x${size}/$icon.png"; done
done

# The installed program, without a display and with a home of its own.
home=$root/home
mkdir -p "$home"
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" \
        XDG_CONFIG_HOME="$home/.config" "$@"; }
out=$(run "$usr/bin/qpa3600" --version) || fail "--version exits with $?"
[ "$out" = "qpa3600 $version" ] || fail "--version says '$out'"
if out=$(run "$usr/bin/qpa3600" --check-install); then
    grep -qx "data: $usr/share/qpa3600" <<<"$out" || fail "data folder: $out"
    grep -qx "settings: $home/.config/.*" <<<"$out" || fail "settings folder: $out"
else
    fail "--check-install: $out"
fi
run "$usr/bin/qpa3600-sim" --help | grep -q -- '--baud' || fail "qpa3600-sim --help"

[ "$failures" -eq 0 ] && echo "install tree complete"
exit "$failures"
