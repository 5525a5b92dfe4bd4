# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by scripts/run and scripts/test: install the Debian packages the
# build, the tests and the window need, only those that are missing.
VANTREL_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libusb-1.0-0-dev \
fonts-liberation xvfb xauth xdotool imagemagick edid-decode v4l-utils desktop-file-utils dpkg-dev file python3 \
umockdev libumockdev-dev lintian groff-base libmosquitto-dev mosquitto mosquitto-clients"
# Only the fuzz build (scripts/test) needs these: clang and its libFuzzer and
# sanitizer runtimes.
VANTREL_FUZZ_PACKAGES="clang-14 libclang-rt-14-dev"
# Only the Windows cross build and its loader check (scripts/test) need these:
# mingw-w64 with posix threads, and wine for both widths. wine32 comes from
# dpkg's i386 architecture, which vantrel_install_windows_tools adds.
VANTREL_WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64"

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
    cmake -S "$VANTREL_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
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
