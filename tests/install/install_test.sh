#!/bin/sh
# Installs the build in $1 into a temporary prefix, as a package would, and checks the result as the
# desktop sees it: the programs run from the search path and find their components, the desktop
# entry passes desktop-file-validate, the icon renders, the MIME types the editor adds reach the
# shared MIME database, and after the database updates that a package runs, xdg-mime names the
# editor as the default application of every type it opens.
set -eu

build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr
share=$prefix/share

fail() {
    echo "install_test: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in sonvara sonvara-batch; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing"
done
for component in sonvara-wmakx libsonvara-dsskx.so libsonvara-realaudio.so; do
    [ -f "$prefix/lib/sonvara/$component" ] || fail "lib/sonvara/$component is missing"
done
PATH=$prefix/bin:$PATH
export PATH
sonvara-batch --help >/dev/null || fail "the installed sonvara-batch does not run"
[ -f "$share/sonvara/manual/index.html" ] || fail "the manual is missing"

entry=$share/applications/sonvara.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
icon=$share/icons/hicolor/scalable/apps/sonvara.svg
rsvg-convert -w 64 -h 64 "$icon" -o "$root/icon.png" || fail "the icon does not render"
[ -s "$root/icon.png" ] || fail "the icon renders empty"

# The triggers of a package: the MIME database and the desktop entries' cache.
update-mime-database "$share/mime"
update-desktop-database "$share/applications"
for glob in '*.vox' '*.dss'; do
    grep -q ":$glob\$" "$share/mime/globs2" || fail "the MIME database lacks $glob"
done

# A user without choices of their own, on a desktop that xdg-mime treats as generic.
export HOME="$root/home" XDG_DATA_HOME="$root/home/.local/share" XDG_CONFIG_HOME="$root/home/.config"
export XDG_DATA_DIRS="$share" XDG_CONFIG_DIRS="$root/etc/xdg"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID 2>/dev/null || true
types=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' ')
[ -n "$types" ] || fail "the desktop entry lists no MIME type"
for type in $types; do
    default=$(xdg-mime query default "$type")
    [ "$default" = sonvara.desktop ] || fail "xdg-mime gives '$default' for $type"
done
echo "install_test: installed and checked under $prefix"
