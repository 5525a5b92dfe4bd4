# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the wine checks: wine_loader BITS sets $loader to the loader of
# that width, or skips (exit 77) with the reason when this machine cannot run
# it. The `wine` wrapper is not used: it starts the 32-bit loader whenever
# wine32 is installed, even on a kernel that cannot run 32-bit programs.
skip() { echo "SKIPPED: $*"; exit 77; }

wine_loader() {
    local bits="$1"
    if [ -d /usr/lib/wine ]; then
        # Debian puts each width's loader there; wine32 (i386) brings the 32-bit one.
        loader=/usr/lib/wine/wine64
        [ "$bits" = 32 ] && loader=/usr/lib/wine/wine
    else
        loader="$(command -v "wine$([ "$bits" = 64 ] && echo 64)" || command -v wine || true)"
    fi
    [ -n "$loader" ] || skip "wine is not installed, the ${bits}-bit Windows check did not run"
    [ -x "$loader" ] || skip "wine cannot run ${bits}-bit programs here ($loader is missing; install wine$bits)"
    # One try: a kernel without 32-bit support refuses the loader itself.
    local said
    if ! said="$("$loader" --version 2>&1)"; then
        case "$said" in
            *"Exec format error"*|*"cannot execute binary file"*)
                skip "this kernel cannot run ${bits}-bit x86 programs ($loader: Exec format error)" ;;
        esac
        skip "$loader does not start here: $said"
    fi
    export WINELOADER="$loader"
}
