#!/usr/bin/env bash
# Makes the Debian package of a release build with cpack, unpacks it into a throw-away root and
# checks its control fields, entries, icons and program tree; desktop-file-validate on both
# entries, and lintian without errors when it is installed.
# Usage: tst_package.sh RELEASE_BUILD_DIR VERSION
set -euo pipefail
release=$(readlink -f "$1")
version=$2
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if [ ! -x "$release/stage/Pellar/bin/pellar" ] || [ ! -f "$release/CPackConfig.cmake" ]; then
    echo "FAIL: no release build with a package configuration in $release (./test or ./run builds it)"
    exit 1
fi
work=$(mktemp -d /tmp/pellar-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

start=$(date +%s%N)
if ! cpack --config "$release/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack could not make the package"
    exit 1
fi
echo "cpack: $((($(date +%s%N) - start) / 1000000)) ms"
arch=$(dpkg --print-architecture)
deb="$work/out/pellar_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $(basename "$deb")"; exit 1; }

# Control fields.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = "pellar" ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
case "$(field Maintainer)" in "Pellar developers <"*@*">") ;; *) fail "Maintainer is '$(field Maintainer)'" ;; esac
[ -n "$(field Section)" ] || fail "no Section"
case "$(field Description)" in *"printer status monitor"*) ;; *) fail "Description: $(field Description)" ;; esac
depends=$(field Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6xml6 libqt6dbus6 'libsnmp[0-9]+' libx11-6; do
    grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
conffiles=$(dpkg-deb --info "$deb" conffiles 2>/dev/null || true)
grep -qx /etc/xdg/autostart/pellar.desktop <<<"$conffiles" || fail "the autostart entry is not a conffile"

# Contents: everything under /usr or /etc and owned by root.
dpkg-deb --contents "$deb" >"$work/contents"
awk '$2 != "root/root" { print "FAIL: not owned by root: " $6 }
    $6 != "./" && $6 !~ /^\.\/(usr|etc)(\/|$)/ { print "FAIL: outside /usr and /etc: " $6 }' \
    "$work/contents" >"$work/misplaced"
cat "$work/misplaced"
failures=$((failures + $(wc -l <"$work/misplaced")))

root="$work/root"
dpkg-deb -x "$deb" "$root"
tree=/usr/lib/pellar
for f in usr/bin/pellar "${tree#/}/bin/pellar"; do
    [ -x "$root/$f" ] || fail "/$f missing or not executable"
done
for f in "${tree#/}/bin/sm.xml" "${tree#/}/bin/capabilities.xml" "${tree#/}/bin/.version" \
    "${tree#/}/share/icons/pl_normal.png" "${tree#/}/share/icons/logo.png" \
    "${tree#/}/share/translation/de/pellar_de.qm" "${tree#/}/share/translation/en/sm_en.xml" \
    usr/share/applications/pellar.desktop etc/xdg/autostart/pellar.desktop \
    usr/share/icons/hicolor/scalable/apps/pellar.svg \
    usr/share/doc/pellar/copyright usr/share/doc/pellar/changelog.gz; do
    [ -s "$root/$f" ] || fail "/$f missing"
done
# The theme's icons are PNGs of their directory's size (width and height from the header).
for size in 16 22 32 48; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/pellar.png"
    if [ ! -s "$png" ]; then
        fail "${png#"$root"} missing"
        continue
    fi
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }')
    [ "$dims" = "${size}x${size}" ] || fail "${png#"$root"} is $dims"
done

# The entries and the starter name the installed program, never a build or staging path.
for entry in usr/share/applications/pellar.desktop etc/xdg/autostart/pellar.desktop; do
    [ -f "$root/$entry" ] || continue
    # TryExec: a removed package leaves its autostart conffile behind, which sessions then skip.
    for key in Exec TryExec; do
        grep -qx "$key=$tree/bin/pellar" "$root/$entry" || fail "/$entry: no $key=$tree/bin/pellar"
    done
    desktop-file-validate "$root/$entry" || fail "desktop-file-validate /$entry"
done
grep -q "exec \"$tree/bin/pellar\"" "$root/usr/bin/pellar" || fail "the starter does not start $tree/bin/pellar"
if grep -rlI -e "$work" -e "$release" -e _CPack_Packages "$root"; then
    fail "files above name a build or staging directory"
fi

if command -v lintian >/dev/null; then
    # Warnings are shown, not failed on.
    status=0
    lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || status=$?
    grep -v '^running with root privileges' "$work/lintian" || true
    [ "$status" -eq 0 ] || fail "lintian reports errors"
else
    echo "lintian is not installed: not run"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "$(basename "$deb"): all checks passed"
