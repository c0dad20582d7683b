# Shared by the run and test scripts: install what is missing, configure and build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Two build folders, so that neither script rebuilds the other's work: scripts/test builds Debug
# in build/, scripts/run and scripts/package build the release in build-release/.
TEST_BUILD_DIR="$ROOT/build"
RELEASE_BUILD_DIR="$ROOT/build-release"
BUILD_DIR="${BUILD_DIR:-$TEST_BUILD_DIR}"
# dpkg-dev and file: cpack's Debian generator works out the package's dependencies with them;
# lintian and appstream: the package test checks the package and its AppStream metadata.
# qt6-base-private-dev: a window test queues user input as the window system does.
# ninja-build: a package test asks Ninja what a fresh build folder builds for the package.
# libtomlplusplus-dev, libqt6sql6-sqlite, libqt6sql6-psql: the station's plans and record
# databases; postgresql: the station's tests start a server of their own.
# weston and qt6-wayland: a window test runs the window on a headless Wayland compositor.
PACKAGES=(cmake g++ make qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
          qt6-translations-l10n dpkg-dev file lintian appstream
          qt6-base-private-dev ninja-build
          libtomlplusplus-dev libqt6sql6-sqlite libqt6sql6-psql postgresql
          weston qt6-wayland)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
}

# build_project <build type> [cmake options...] [-- targets...]
build_project() {
    local type="$1"
    shift
    local options=() targets=()
    while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
        options+=("$1")
        shift
    done
    [ "${1:-}" = "--" ] && shift && targets=("$@")
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$type" "${options[@]}"
    if [ "${#targets[@]}" -gt 0 ]; then
        cmake --build "$BUILD_DIR" -j"$(nproc)" --target "${targets[@]}"
    else
        cmake --build "$BUILD_DIR" -j"$(nproc)"
    fi
}

# build_release [targets...]: the optimised build in build-release with Debian's compiler and
# linker flags (hardening included), as the package and scripts/run use it.
build_release() {
    BUILD_DIR="$RELEASE_BUILD_DIR"
    local cxxflags ldflags
    cxxflags="$(cd "$ROOT" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)"
    cxxflags+=" $(cd "$ROOT" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)"
    ldflags="$(cd "$ROOT" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)"
    # The tests and benchmarks are configured here too but built only when named; cpack then
    # packs what is built instead of building everything first.
    build_project RelWithDebInfo -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
        -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -- "$@"
}

# build_package: the Debian package korvel-config from what is built in BUILD_DIR, written to
# BUILD_DIR/package.
build_package() {
    (cd "$BUILD_DIR" && cpack -G DEB -B "$BUILD_DIR/package" >"$BUILD_DIR/cpack.log" 2>&1) || {
        cat "$BUILD_DIR/cpack.log" >&2
        return 1
    }
}
