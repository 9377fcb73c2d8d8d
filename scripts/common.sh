# Shared by the scripts: paths, the builds, the choice of Windows build, and Wine.
ROOT=$(cd "$(dirname "$0")/.." && pwd)

# 32-bit Wine needs a kernel that runs 32-bit code; without it the 64-bit
# build of the same saver runs under 64-bit Wine instead.
can_run_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

windows_preset() {
    if can_run_32bit; then echo win32; else echo win64; fi
}

wine_loader() {
    if can_run_32bit; then echo wine; else echo /usr/lib/wine/wine64; fi
}

build_windows() {
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 -j2
    if [ "$(windows_preset)" = win64 ]; then
        cmake --preset win64 >/dev/null
        cmake --build --preset win64 -j2
    fi
}

# The native Linux saver (and the unit tests, which share the preset).
build_linux() {
    cmake --preset linux >/dev/null
    cmake --build --preset linux -j2
}

# Creates a Wine prefix suited to a display without a window manager.
make_prefix() {
    prefix=$1
    export WINEPREFIX="$prefix" WINEDEBUG=-all
    if [ ! -f "$prefix/system.reg" ]; then
        mkdir -p "$prefix"
        "$(wine_loader)" wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
    fi
    cat >"$prefix/vidsaver.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"renderer"="gdi"
REG
    "$(wine_loader)" regedit /S "$prefix/vidsaver.reg" >/dev/null 2>&1 || true
    wineserver -w || true
}
