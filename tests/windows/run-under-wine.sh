#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a cross-built Windows test program under wine: run-under-wine.sh BITS EXE [ARGS...].
# Exit 77 (a skipped test) with one line saying why when wine cannot run this
# width here. WINEPREFIX, when set, is reused (scripts/test shares one between
# the two widths); otherwise a prefix is made for this run and removed after.
set -uo pipefail
bits="$1"; exe="$2"; shift 2

. "$(dirname "$0")/wine-loader.sh"
wine_loader "$bits"

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
"$loader" "$(basename "$exe")" "$@"
status=$?
if [ -n "$own_prefix" ]; then
    wineserver -k 2>/dev/null
    rm -rf "$own_prefix"
fi
exit $status
