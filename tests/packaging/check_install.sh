#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a throwaway prefix and checks that every file sits
# where the desktop, udev and the user look for it.
# Usage: check_install.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
src=$2
app_id=org.vantrel.Utility
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/usr

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

# An absolute destination would write outside the prefix (and into the
# packager's own system).
grep -E '^-- (Installing|Up-to-date):' "$tmp/install.log" | sed 's/^-- [^:]*: //' |
    while read -r path; do
        case $path in "$prefix"/*) ;; *) echo "FAIL: installed outside the prefix: $path"; echo x >>"$tmp/escaped" ;; esac
    done
[ -e "$tmp/escaped" ] && failures=$((failures + 1))

while read -r program; do
    [ -n "$program" ] || continue
    [ -x "$prefix/bin/$program" ] || fail "bin/$program missing or not executable"
done <"$build/packaging/programs.txt"

sim=$(find "$prefix/lib" -name libvantrel-sim.so -path '*/vantrel/*' | head -n 1)
[ -n "$sim" ] || fail "lib/.../vantrel/libvantrel-sim.so missing"

# The uaccess tag only works when the rule runs before 73-seat-late.rules,
# and only for the ids the programs look for.
rule=$prefix/lib/udev/rules.d/70-vantrel.rules
if [ -f "$rule" ]; then
    grep -v '^#' "$rule" | grep -q 'TAG+="uaccess"' || fail "udev rule has no uaccess tag"
    ids=$(sed -n 's/.*kDefaultId{0x\([0-9A-Fa-f]*\), 0x\([0-9A-Fa-f]*\)}.*/\1 \2/p' "$src/device/libusb_support.h" |
        tr 'A-F' 'a-f')
    vendor=${ids% *}
    product=${ids#* }
    [ -n "$ids" ] || fail "default USB id not found in device/libusb_support.h"
    grep -v '^#' "$rule" | grep "ATTR{idVendor}==\"$vendor\"" | grep -q "ATTR{idProduct}==\"$product\"" ||
        fail "udev rule does not match $vendor:$product"
    # Other products share the chip's ids: every line must also name the box's serial.
    grep -v '^#' "$rule" | grep 'TAG+="uaccess"' | grep -vq 'ATTR{serial}=="2023"' &&
        fail "a udev rule line grants access without matching the serial 2023"
    [ -x "$rule" ] && fail "udev rule is executable"
else
    fail "lib/udev/rules.d/70-vantrel.rules missing"
fi

desktop=$prefix/share/applications/$app_id.desktop
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app_id.desktop"
    # The entry starts the standard form; its action the high-DPI one.
    execs=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop" | tr '\n' ' ')
    [ "$execs" = "vantrel-gui-standard vantrel-gui " ] || fail "Exec lines are '$execs'"
    for exec_name in $execs; do
        [ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
    done
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ "$icon" = "$app_id" ] || fail "Icon=$icon, expected $app_id"
    name=$(sed -n 's/^Name=//p' "$desktop" | head -n 1)
    title=$(sed -n 's/.*name="windowTitle"><string>\([^<]*\)<.*/\1/p' "$src/ui/hidpi/VantrelForm.ui")
    if [ -z "$title" ] || [ "$name" != "$title" ]; then
        fail "Name=$name, the window is titled '$title'"
    fi
else
    fail "share/applications/$app_id.desktop missing"
fi

# Each PNG must really be the size of the folder it is in: the desktop
# scales by folder name.
for size in 16 32 48 512; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    if [ -f "$png" ]; then
        # shellcheck disable=SC2046 # the eight IHDR size bytes, one per word
        set -- $(od -An -tu1 -j16 -N8 "$png")
        width=$(( ($1 << 24) + ($2 << 16) + ($3 << 8) + $4 ))
        height=$(( ($5 << 24) + ($6 << 16) + ($7 << 8) + $8 ))
        if [ "$width" != "$size" ] || [ "$height" != "$size" ]; then
            fail "${size}x${size} icon is ${width}x${height}"
        fi
    else
        fail "${size}x${size} icon missing"
    fi
done
svg=$prefix/share/icons/hicolor/scalable/apps/$app_id.svg
grep -q '<svg' "$svg" 2>/dev/null || fail "scalable icon missing or not SVG"

[ -s "$prefix/share/doc/vantrel/README.md" ] || fail "share/doc/vantrel/README.md missing"

# A manual page for every installed program, and the completion where
# bash-completion loads it on demand (the file is named after the command).
while read -r program; do
    [ -n "$program" ] || continue
    [ -s "$prefix/share/man/man1/$program.1.gz" ] || fail "share/man/man1/$program.1.gz missing"
done <"$build/packaging/programs.txt"
# serve is its own program, the only one that loads the MQTT library; the
# installed vantrelctl finds it (its usage error comes from there).
if [ -e "$build/cli/vantrelctl-serve" ]; then
    [ -x "$prefix/libexec/vantrelctl-serve" ] || fail "libexec/vantrelctl-serve missing or not executable"
    if command -v ldd >/dev/null && ldd "$prefix/bin/vantrelctl" | grep -q libmosquitto; then
        fail "vantrelctl links libmosquitto; only vantrelctl-serve may"
    fi
    status=0
    err=$("$prefix/bin/vantrelctl" serve --mqtt host:70000 2>&1 >/dev/null) || status=$?
    case $status:$err in 2:*port*) ;; *) fail "vantrelctl serve does not run libexec/vantrelctl-serve: $status $err" ;; esac
fi

completion=$prefix/share/bash-completion/completions/vantrelctl
grep -q 'complete .*-F _vantrelctl vantrelctl' "$completion" 2>/dev/null || fail "bash completion for vantrelctl missing"

if [ "$failures" -ne 0 ]; then
    echo "$failures problem(s); installed files:"
    (cd "$prefix" && find . -type f | sort)
    exit 1
fi
echo "install layout ok: $(cd "$prefix" && find . -type f | wc -l) files"
