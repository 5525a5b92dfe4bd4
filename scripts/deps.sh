# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by scripts/run and scripts/test: install the Debian packages the
# build, the tests and the window need, only those that are missing.
# The lists are in scripts/packages.list, one section each.
vantrel_packages() {
    awk -v want="[$1]" '/^\[/ { on = ($0 == want); next } on && NF && !/^#/ { print $1 }' \
        "$VANTREL_ROOT/scripts/packages.list" | tr '\n' ' '
}
VANTREL_PACKAGES="$(vantrel_packages build)"
# Only the fuzz build (scripts/test) needs these.
VANTREL_FUZZ_PACKAGES="$(vantrel_packages fuzz)"
# Only the Windows cross build and its loader check (scripts/test) need these.
VANTREL_WINDOWS_PACKAGES="$(vantrel_packages windows)"

vantrel_install_missing() {
    local missing=""
    for p in $VANTREL_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "installing:$missing"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

vantrel_configure_build() {
    local dir="$1"; shift
    # ccache (from the list) keeps a rebuild of an unchanged file cheap.
    cmake -S "$VANTREL_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@"
    cmake --build "$dir" -j "$(nproc)"
}

# The Windows packages, and wine32 where the i386 architecture can be had;
# without it the 32-bit loader check is skipped (and says so).
vantrel_install_windows_tools() {
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        if $sudo dpkg --add-architecture i386 && $sudo apt-get update -qq; then
            :
        else
            echo "windows: cannot add the i386 architecture, so no wine32"
        fi
    fi
    if dpkg --print-foreign-architectures | grep -qx i386 &&
        vantrel_install_missing $VANTREL_WINDOWS_PACKAGES wine32:i386; then
        return 0
    fi
    echo "windows: wine32 is not installable here; the 32-bit loader check will be skipped"
    vantrel_install_missing $VANTREL_WINDOWS_PACKAGES
}
