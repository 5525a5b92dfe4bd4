#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# vantrelctl.exe under wine against the stand-in SiUSBXp.dll beside it, next to
# the Linux vantrelctl on the simulated box: every command must print the same,
# exit the same, send the same frames and write the same files.
#   ctl-under-wine.sh BITS WINDOWS_CTL LINUX_CTL
# Text lines from Windows end in CR LF (compared without the CR); a table on
# standard output is bytes, without one. Exit 77 when wine or the Linux build is
# missing.
set -uo pipefail
bits="$1"; win_ctl="$2"; linux_ctl="$3"
here="$(cd "$(dirname "$0")" && pwd)"

# The same box as a loaded library on both sides (the linked one names itself
# "simulated").
linux_sim="$(dirname "$linux_ctl")/../sim/libvantrel-sim.so"
[ -x "$linux_ctl" ] && [ -f "$linux_sim" ] || { echo "SKIPPED: no Linux vantrelctl at $linux_ctl to compare with (build it first)"; exit 77; }
. "$here/wine-loader.sh"
wine_loader "$bits"

work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-ctl-wine.XXXXXX")"
own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
    own_prefix="$work/prefix"
    export WINEPREFIX="$own_prefix"
fi
cleanup() {
    [ -n "$own_prefix" ] && wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/linux" "$work/windows"
unset VANTREL_USB_LIBRARY
# wine reads the arguments in the locale's encoding.
export LC_ALL=C.UTF-8

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A non-ASCII file name: the arguments reach the program as UTF-8.
name="tafel-ü-€.bin"
win_dir="$(WINEDEBUG=-all "$loader" winepath.exe -w "$work/windows" 2>/dev/null | tr -d '\r')"
[ -n "$win_dir" ] || { echo "SKIPPED: winepath cannot map $work"; exit 77; }

# run SIDE ARGS...: one command on one side; its output in $work/SIDE/out,err,status.
run() {
    local side="$1"; shift
    local args=() a
    for a in "$@"; do
        # @/ stands for the side's own folder, in that system's spelling.
        if [ "$side" = windows ]; then a="${a//@\//$win_dir\\}"; else a="${a//@\//$work/linux/}"; fi
        args+=("$a")
    done
    if [ "$side" = windows ]; then
        VANTREL_SIM="state=$win_dir\\state;wire_log=$win_dir\\wire" \
            "$here/run-under-wine.sh" "$bits" "$win_ctl" "${args[@]}" >"$work/$side/out" 2>"$work/$side/err"
    else
        VANTREL_USB_LIBRARY="$linux_sim" VANTREL_SIM="state=$work/linux/state;wire_log=$work/linux/wire" \
            "$linux_ctl" "${args[@]}" >"$work/$side/out" 2>"$work/$side/err"
    fi
    echo $? >"$work/$side/status"
}

# same ARGS...: both sides run it; output (CR LF read as LF), errors and
# exit status must match.
same() {
    run linux "$@"
    run windows "$@"
    local status
    status="$(cat "$work/windows/status")"
    if [ "$status" = 77 ] && grep -q '^SKIPPED' "$work/windows/out"; then
        cat "$work/windows/out"
        exit 77
    fi
    local what="vantrelctl $*" ok=1
    if [ "$status" != "$(cat "$work/linux/status")" ]; then
        fail "$what: exit status $status on Windows, $(cat "$work/linux/status") on Linux"
        ok=0
    fi
    # Each side names its own folder: both read as @/.
    local escaped="${win_dir//\\/\\\\}\\\\"
    for stream in out err; do
        if ! diff <(tr -d '\r' <"$work/windows/$stream" | sed "s|${escaped//\\/\\\\}|@/|g; s|${win_dir//\\/\\\\}\\\\|@/|g") \
            <(sed "s|$work/linux/|@/|g" "$work/linux/$stream") >"$work/diff"; then
            fail "$what: standard ${stream/err/error}${stream/out/put} differs (< Windows, > Linux)"
            cat "$work/diff"
            ok=0
        fi
    done
    [ $ok = 1 ] && echo "ok: $what (exit $status)"
}

same list
same status --json
same settings
same set input 3
same set input bogus
same settings
same --json edid read box -o "@/$name"
cmp -s "$work/windows/$name" "$work/linux/$name" || fail "edid read -o: the tables written differ"
same edid write "@/$name"
same cec send 40:04
same cec send zz
same edid decode "@/missing.bin"

# Windows tools read lines ending in CR LF; a table on a pipe stays bytes.
same settings
if grep -q $'[^\r]$' "$work/windows/out" || ! grep -q $'\r$' "$work/windows/out"; then
    fail "settings: a text line on Windows does not end in CR LF"
else
    echo "ok: text lines end in CR LF on Windows"
fi
same edid read box -o -
cmp -s "$work/windows/out" "$work/linux/out" && echo "ok: edid read -o - gives the same bytes" ||
    fail "edid read -o -: the bytes on standard output differ"

# Both boxes heard the same requests. A read repeated while the box is busy
# counts once: how often it is repeated depends on each side's speed.
if diff <(tr -d '\r' <"$work/windows/wire" | uniq) <(uniq "$work/linux/wire") >"$work/diff"; then
    echo "ok: the same frames went out ($(wc -l <"$work/linux/wire") requests)"
else
    fail "the frames sent differ (< Windows, > Linux)"
    head -20 "$work/diff"
fi

[ $failures = 0 ] || { echo "$failures failed"; exit 1; }
exit 0
