# Shared by scripts/build-windows and scripts/test-windows: the cache with the cross-built Qt, the
# Windows build folder and the packages both need.
WIN_CACHE="${KORVEL_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/korvel-config}"
QT_WIN="$WIN_CACHE/qt6-mingw-6.4.2"
WIN_BUILD_DIR="$ROOT/build-windows"
MINGW_TRIPLE=x86_64-w64-mingw32
# Qt's host tools (moc, rcc, uic) come from the installed Linux Qt of the same version.
WIN_PACKAGES=(cmake ninja-build perl dpkg-dev xz-utils zip g++-mingw-w64-x86-64-posix
              qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev)

# The programs for Windows, in build-windows, with the cross-built Qt's toolchain file (which
# chain-loads ours and takes moc, rcc and uic from the Linux Qt).
build_windows_programs() {
    cmake -S "$ROOT" -B "$WIN_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$QT_WIN/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DBUILD_TESTING=OFF >"$WIN_BUILD_DIR.configure.log" 2>&1 || {
        tail -n 30 "$WIN_BUILD_DIR.configure.log" >&2
        return 1
    }
    cmake --build "$WIN_BUILD_DIR" -j "${JOBS:-2}" --target Korvel_Config korvel-cli
}

# windows_dll_closure <files...>: the DLLs the files load, and the DLLs those load, found in the
# cross-built Qt and the MinGW run-time; the system's own DLLs (KERNEL32.dll ...) are not found
# there and stay out.
windows_dll_closure() {
    local search=("$QT_WIN/bin" "$(dirname "$("$MINGW_TRIPLE-g++-posix" -print-libgcc-file-name)")"
                  "/usr/$MINGW_TRIPLE/lib")
    local -A seen=()
    local queue=("$@") file dll dir
    while [ "${#queue[@]}" -gt 0 ]; do
        file="${queue[0]}"
        queue=("${queue[@]:1}")
        while read -r dll; do
            [ -n "${seen[${dll,,}]:-}" ] && continue
            seen[${dll,,}]=1
            for dir in "${search[@]}"; do
                if [ -f "$dir/$dll" ]; then
                    echo "$dir/$dll"
                    queue+=("$dir/$dll")
                    break
                fi
            done
        done < <("$MINGW_TRIPLE-objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
    done
}

# The zip: the programs, every DLL they load, the platform plugin and the native style, and the
# README's Windows section as a text file.
package_windows_zip() {
    local version stage zip
    version="$(sed -n 's/^project(KorvelConfig VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
    stage="$WIN_BUILD_DIR/Korvel-Config-$version"
    zip="$WIN_BUILD_DIR/Korvel-Config-$version-windows-x64.zip"
    rm -rf "$stage" "$zip"
    mkdir -p "$stage/platforms" "$stage/styles"
    cp "$WIN_BUILD_DIR/Korvel_Config.exe" "$WIN_BUILD_DIR/korvel-cli.exe" "$stage/"
    cp "$QT_WIN/plugins/platforms/qwindows.dll" "$stage/platforms/"
    [ -f "$QT_WIN/plugins/styles/qwindowsvistastyle.dll" ] &&
        cp "$QT_WIN/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
    windows_dll_closure "$stage"/*.exe "$stage"/platforms/*.dll "$stage"/styles/*.dll |
        sort -u | xargs -r cp -t "$stage/"
    "$MINGW_TRIPLE-strip" "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll
    awk '/^## Windows/ { on = 1; print; next } on && /^## / { exit } on' "$ROOT/README.md" |
        sed 's/$/\r/' >"$stage/README-Windows.txt"
    (cd "$WIN_BUILD_DIR" && zip -qr "$zip" "$(basename "$stage")")
    echo "$zip ($(du -h "$zip" | cut -f1))"
}
