# Wine for the Windows build's tests: packages, the prefix, and its server.
# shellcheck shell=bash

# Packages are installed without their recommendations, so the X extensions
# Wine's display driver loads at run time (monitor work areas, cursors, input)
# and Wine's own fonts are named here.
WINDOWS_BUILD_PACKAGES=(
    mingw-w64 googletest wine wine64 xvfb xauth fonts-wqy-microhei fonts-wine locales
    libxrandr2 libxinerama1 libxcursor1 libxi6 libxcomposite1 libxrender1 libxxf86vm1 libxfixes3
)

export WINEPREFIX="${WINEPREFIX:-$KORVALT_ROOT/build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Wine shows Chinese texts with code page 936 only under a Chinese locale.
ensure_zh_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        say "generating the zh_CN.UTF-8 locale"
        as_root sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen ||
            echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen >/dev/null || die "locale-gen failed"
    fi
}

# Creates the prefix once, then starts a persistent wineserver so test runs
# neither wait for nor race on its start-up. Stop it with stop_wine.
start_wine() {
    mkdir -p "$WINEPREFIX"
    local fresh=0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix $WINEPREFIX"
        fresh=1
    fi
    # -p fails when a server already runs for this prefix, which serves as well.
    wineserver -p 2>/dev/null || true
    wine wineboot -i >/dev/null 2>&1 </dev/null || die "wineboot failed in $WINEPREFIX"
    # Without a window manager Wine waits about 2 s at every window close
    # unless it manages its windows itself; then it also draws title bars.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1 </dev/null || die "cannot set up the Wine prefix $WINEPREFIX"
    # A prefix made just now is written to disk only when its server ends;
    # until then every window of a new process was seen to wait about 20 s.
    # Ending the server once and starting it again gives the state of a
    # prefix made in an earlier run.
    if [ "$fresh" -eq 1 ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        wineserver -p 2>/dev/null || true
        wine wineboot >/dev/null 2>&1 </dev/null || die "wineboot failed in $WINEPREFIX"
    fi
}

stop_wine() {
    wineserver -k 2>/dev/null || true
}

KORVALT_XVFB_PID=""

# Starts a virtual screen and points DISPLAY at it, for the dialogs of the
# Windows build. It must come before start_wine: a Wine started without a
# display keeps a desktop that cannot open windows later.
start_display() {
    local number_file
    number_file="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    KORVALT_XVFB_PID=$!
    local tries=0
    while [ ! -s "$number_file" ]; do
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || die "Xvfb did not start"
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$number_file")"
    rm -f "$number_file"
}

stop_display() {
    if [ -n "$KORVALT_XVFB_PID" ]; then
        kill "$KORVALT_XVFB_PID" 2>/dev/null || true
        wait "$KORVALT_XVFB_PID" 2>/dev/null || true
        KORVALT_XVFB_PID=""
    fi
}
