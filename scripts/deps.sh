# Shared by scripts/run and scripts/test: install the Debian packages the
# build, the tests and the window need, only those that are missing.
VANTREL_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libusb-1.0-0-dev \
fonts-liberation xvfb xauth xdotool imagemagick edid-decode desktop-file-utils dpkg-dev file \
umockdev libumockdev-dev"
# Only the fuzz build (scripts/test) needs these: clang and its libFuzzer and
# sanitizer runtimes.
VANTREL_FUZZ_PACKAGES="clang-14 libclang-rt-14-dev"

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
