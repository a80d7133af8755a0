# Wine for the Windows build's tests: packages, the prefix, and its server.
# shellcheck shell=bash

WINDOWS_BUILD_PACKAGES=(mingw-w64 googletest wine wine64 xvfb xauth fonts-wqy-microhei locales)

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
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix $WINEPREFIX"
    fi
    # -p fails when a server already runs for this prefix, which serves as well.
    wineserver -p 2>/dev/null || true
    wine wineboot -i >/dev/null 2>&1 </dev/null || die "wineboot failed in $WINEPREFIX"
}

stop_wine() {
    wineserver -k 2>/dev/null || true
}
