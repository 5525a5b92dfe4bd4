#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a finished build and checks it: the files it
# holds, its control fields, and that the unpacked programs start.
# Usage: packaging/linux/check-deb.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
failures=0
fail() { echo "check-deb: FAIL: $*"; failures=$((failures + 1)); }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! (cd "$build" && cpack -G DEB) >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log"
    echo "check-deb: FAIL: cpack -G DEB"
    exit 1
fi
deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$tmp/cpack.log")
if [ ! -f "$deb" ]; then
    cat "$tmp/cpack.log"
    echo "check-deb: FAIL: no .deb reported by cpack"
    exit 1
fi
echo "check-deb: $deb"

arch=$(dpkg --print-architecture)
case $(basename "$deb") in
    vantrel_*_"$arch".deb) ;;
    *) fail "file name $(basename "$deb") is not vantrel_<version>_$arch.deb" ;;
esac

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$tmp/contents"
has() { grep -qx "$1" "$tmp/contents" || fail "package lacks $1"; }
while read -r program; do
    [ -n "$program" ] && has "/usr/bin/$program"
done <"$build/packaging/programs.txt"
grep -q '^/usr/lib/\(.*/\)\?vantrel/libvantrel-sim\.so$' "$tmp/contents" || fail "package lacks libvantrel-sim.so"
# serve's own program, beside vantrelctl's bin/ in libexec/, when the build has it.
[ -e "$build/cli/vantrelctl-serve" ] && has /usr/libexec/vantrelctl-serve
grep -qx '/\(usr/\)\?lib/udev/rules.d/70-vantrel.rules' "$tmp/contents" || fail "package lacks the udev rule"
has /usr/share/applications/org.vantrel.Utility.desktop
for size in 16x16 32x32 48x48 512x512; do
    has /usr/share/icons/hicolor/$size/apps/org.vantrel.Utility.png
done
has /usr/share/icons/hicolor/scalable/apps/org.vantrel.Utility.svg
has /usr/share/doc/vantrel/README.md
has /usr/share/doc/vantrel/copyright
has /usr/share/doc/vantrel/changelog.gz

# Debian's own checks: any error or warning that is not overridden (with its
# reason, in packaging/linux/lintian-overrides) fails.
if command -v lintian >/dev/null 2>&1; then
    lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1
    if grep -q '^[EW]: ' "$tmp/lintian.log"; then
        grep '^[EW]: ' "$tmp/lintian.log"
        fail "lintian reports errors or warnings"
    else
        echo "check-deb: lintian: no errors or warnings"
    fi
else
    fail "lintian is not installed"
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vantrel ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
for f in Version Maintainer Section Description; do
    [ -n "$(field "$f")" ] || fail "no $f field"
done
depends=$(field Depends)
echo "check-deb: Depends: $depends"
for lib in libqt6widgets6 libusb-1.0-0; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$lib\( \|$\)" || fail "Depends lacks $lib"
done

# The maintainer scripts must not fail where udev is absent (containers).
dpkg-deb -e "$deb" "$tmp/control"
for script in postinst postrm; do
    s=$tmp/control/$script
    [ -f "$s" ] || continue
    [ -x "$s" ] || fail "$script is not executable"
    mkdir -p "$tmp/nobin"
    PATH=$tmp/nobin /bin/sh "$s" configure >/dev/null 2>&1 || fail "$script fails without udevadm"
    PATH=$tmp/nobin /bin/sh "$s" remove >/dev/null 2>&1 || fail "$script remove fails without udevadm"
done

# Unpacked, the programs run from /usr paths without the build tree.
root=$tmp/root
dpkg-deb -x "$deb" "$root"
version=$(field Version)
if [ -x "$root/usr/bin/vantrelctl" ]; then
    out=$("$root/usr/bin/vantrelctl" --version 2>&1)
    case $out in *"$version"*) ;; *) fail "vantrelctl --version printed '$out', not version $version" ;; esac
    module=$(grep -o '/usr/lib/\(.*/\)\?vantrel/libvantrel-sim\.so' "$tmp/contents" | head -n 1)
    out=$(VANTREL_USB_LIBRARY=$root$module "$root/usr/bin/vantrelctl" list 2>&1)
    echo "$out" | grep -q '2023' || fail "vantrelctl list on the packaged module printed '$out'"
fi
for gui in vantrel-gui vantrel-gui-standard; do
    [ -x "$root/usr/bin/$gui" ] || continue
    # Still running after three seconds means it got past start-up.
    QT_QPA_PLATFORM=offscreen VANTREL_USB_LIBRARY=simulator timeout 3 "$root/usr/bin/$gui" >"$tmp/$gui.log" 2>&1
    rc=$?
    if [ "$rc" -ne 124 ]; then
        cat "$tmp/$gui.log"
        fail "$gui ended with status $rc within three seconds"
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "check-deb: $failures problem(s)"
    exit 1
fi
echo "check-deb: ok ($(wc -l <"$tmp/contents") entries)"
