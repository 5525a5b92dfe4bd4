#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a cross-built Windows test program under wine: run-under-wine.sh BITS EXE [ARGS...].
# Exit 77 (a skipped test) with one line saying why when wine cannot run this
# width here. WINEPREFIX, when set, is reused (scripts/test shares one between
# the two widths); otherwise a prefix is made for this run and removed after.
set -uo pipefail
bits="$1"; exe="$2"; shift 2

skip() { echo "SKIPPED: $*"; exit 77; }
command -v wine >/dev/null || skip "wine is not installed, the ${bits}-bit Windows loader check did not run"
# Debian puts each width's loader in /usr/lib/wine; wine32 (i386) brings the 32-bit one.
if [ -d /usr/lib/wine ]; then
    loader=/usr/lib/wine/wine64
    [ "$bits" = 32 ] && loader=/usr/lib/wine/wine
    [ -x "$loader" ] || skip "wine cannot run ${bits}-bit programs here ($loader is missing; install wine$bits)"
fi

export WINEDEBUG=-all
# No Mono or Gecko installer on the first start of a prefix, and a crash ends
# the run instead of starting the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
    own_prefix="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-wine.XXXXXX")"
    export WINEPREFIX="$own_prefix"
fi
cd "$(dirname "$exe")"
wine "$(basename "$exe")" "$@"
status=$?
if [ -n "$own_prefix" ]; then
    wineserver -k 2>/dev/null
    rm -rf "$own_prefix"
fi
exit $status
