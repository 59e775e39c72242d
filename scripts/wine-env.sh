#!/usr/bin/env bash
# shellcheck shell=bash
#
# Headless Wine environment for running the Windows build: an Xvfb display with
# openbox, a prepared Wine prefix, one persistent wineserver and one idle Wine
# process that keeps the desktop (explorer.exe) alive for the whole run.
#
# Use it from another script:
#
#     source scripts/wine-env.sh
#     trap wine_env_down EXIT
#     wine_env_up build-win            # exports DISPLAY, WINEPREFIX, WINE, ...
#     "$WINE" build-win/vantrel_e2e.exe
#     wine_env_screenshot shot.png
#
# or run one command inside it (the environment is torn down afterwards):
#
#     scripts/wine-env.sh build-win -- ctest --test-dir build-win
#
# Everything lives under BUILD_DIR: wine-template/ (built once, reused while
# its stamp matches), wine-run/ (fresh copy per run), wine-logs/ (output of
# every process started here), wine_idle.exe. Nothing is read from $HOME.
#
# Functions: wine_env_up BUILD_DIR, wine_env_down [BUILD_DIR],
#            wine_env_screenshot FILE.

# Bump when the template recipe below changes: existing templates are rebuilt.
WINE_ENV_RECIPE=2

WINE_ENV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WINE_ENV_LOADER=${WINE_ENV_LOADER:-/usr/lib/wine/wine64}
WINE_ENV_SERVER_BIN=${WINE_ENV_SERVER_BIN:-/usr/lib/wine/wineserver64}
WINE_ENV_FONT_DIR=/usr/share/wine/fonts
WINE_ENV_IDLE_SOURCE=$WINE_ENV_ROOT/tests/e2e/wine_idle.c
WINE_ENV_CC=${WINE_ENV_CC:-x86_64-w64-mingw32-gcc-posix}

_wine_env_say() { echo "wine-env: $*" >&2; }

# Starts "$@" in the background with stdin from /dev/null, stdout and stderr
# appended to LOG, every other inherited descriptor closed (a daemon holding the
# caller's pipe would keep the caller's reader waiting) and HOME pointed into
# the build directory. Sets _wine_env_pid.
_wine_env_spawn() {
    local log=$1
    shift
    (
        for fd in /proc/"$BASHPID"/fd/*; do
            fd=${fd##*/}
            if [[ $fd -gt 2 ]]; then
                eval "exec $fd>&-" 2>/dev/null || true
            fi
        done
        export HOME=$WINE_ENV_HOME XDG_CONFIG_HOME=$WINE_ENV_HOME/.config
        export XDG_CACHE_HOME=$WINE_ENV_HOME/.cache XDG_DATA_HOME=$WINE_ENV_HOME/.local/share
        exec "$@" </dev/null >>"$log" 2>&1
    ) &
    _wine_env_pid=$!
}

# Runs "$@" in the foreground like _wine_env_spawn and returns its status.
_wine_env_run() {
    _wine_env_spawn "$@"
    wait "$_wine_env_pid"
}

# Appends KEY=VALUE to the state file that wine_env_down reads.
_wine_env_record() {
    echo "$1=$2" >>"$WINE_ENV_STATE"
}

# True when PID is alive and its command line contains NAME (guards against a
# recorded PID that has been reused by an unrelated process).
_wine_env_is() {
    local pid=$1 name=$2 cmdline
    [[ -n $pid ]] || return 1
    cmdline=$(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline") || return 1
    [[ $cmdline == *"$name"* ]]
}

# Waits up to SECONDS for PID to exit.
_wine_env_wait_gone() {
    local pid=$1 tenths=$(($2 * 10))
    while ((tenths-- > 0)); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$pid" 2>/dev/null
}

# Sends TERM to PID if it is still NAME, then KILL if it does not exit.
_wine_env_stop() {
    local pid=$1 name=$2
    _wine_env_is "$pid" "$name" || return 0
    kill -TERM "$pid" 2>/dev/null || true
    if ! _wine_env_wait_gone "$pid" 5; then
        kill -KILL "$pid" 2>/dev/null || true
        _wine_env_wait_gone "$pid" 2 || true
    fi
}

# PIDs of the Wine processes (loader or server) whose environment has
# WINEPREFIX=PREFIX. Shells and tools that merely inherited the variable are
# left out.
_wine_env_prefix_pids() {
    local file pid exe
    while IFS= read -r file; do
        pid=${file#/proc/}
        pid=${pid%/environ}
        exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || continue
        case ${exe##*/} in
        wine | wine64 | wine-preloader | wine64-preloader | wineserver | wineserver64) echo "$pid" ;;
        esac
    done < <(grep -lszFx "WINEPREFIX=$1" /proc/[0-9]*/environ)
}

# Starts Xvfb on the first free display from :90 and openbox on it. With
# WINE_ENV_USE_DISPLAY=1 and a working DISPLAY, that display is used as it is.
_wine_env_start_display() {
    local n pid i lock
    if [[ ${WINE_ENV_USE_DISPLAY:-0} == 1 && -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    for ((n = 90; n < 190; n++)); do
        lock=/tmp/.X$n-lock
        [[ ! -e $lock && ! -e /tmp/.X11-unix/X$n ]] || continue
        _wine_env_spawn "$WINE_ENV_LOGS/xvfb.log" Xvfb ":$n" -screen 0 2560x1600x24 -nolisten tcp -noreset
        pid=$_wine_env_pid
        _wine_env_record xvfb "$pid"
        _wine_env_record xvfb_display "$n"
        # Ready once it answers and the lock is ours; if it exits, another
        # server took the number first: try the next one.
        for ((i = 0; i < 100; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            if [[ -f $lock && $(tr -d ' \n' 2>/dev/null <"$lock") == "$pid" ]] &&
                xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=:$n
                WINE_ENV_XVFB_PID=$pid
                break 2
            fi
            sleep 0.1
        done
        _wine_env_stop "$pid" Xvfb
    done
    if [[ -z ${WINE_ENV_XVFB_PID:-} ]]; then
        _wine_env_say "could not start Xvfb (see $WINE_ENV_LOGS/xvfb.log)"
        return 1
    fi

    local config=()
    if [[ -f /etc/xdg/openbox/rc.xml ]]; then
        config=(--config-file /etc/xdg/openbox/rc.xml)
    fi
    _wine_env_spawn "$WINE_ENV_LOGS/openbox.log" openbox --sm-disable "${config[@]}"
    WINE_ENV_OPENBOX_PID=$_wine_env_pid
    _wine_env_record openbox "$WINE_ENV_OPENBOX_PID"
    for ((i = 0; i < 100; i++)); do
        if ! kill -0 "$WINE_ENV_OPENBOX_PID" 2>/dev/null; then
            _wine_env_say "openbox exited (see $WINE_ENV_LOGS/openbox.log)"
            return 1
        fi
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            return 0
        fi
        sleep 0.1
    done
    _wine_env_say "openbox did not take the display within 10 s"
    return 1
}

# Hex dump of a REG_MULTI_SZ holding the arguments, for a .reg file.
_wine_env_multi_sz() {
    { printf '%s\0' "$@" && printf '\0'; } | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v |
        tr -s ' \n' ',' | sed 's/^,//; s/,$//'
}

# Registry settings of the template, as UTF-8 text (imported as UTF-16).
_wine_env_template_reg() {
    local link face
    link=$(_wine_env_multi_sz "ipagp.ttf,IPAPGothic")
    cat <<'EOF'
Windows Registry Editor Version 5.00

; Wine draws the window frames itself, so WM_NCHITTEST decides sizing and
; openbox adds no title bar of its own.
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"

; No menu entries or file associations written to the host.
[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""

; A crashing program prints its backtrace and exits instead of waiting for
; someone to close a crash dialog.
[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

; Japanese UI faces that Wine does not have map to IPA Gothic (the proportional
; one where the original face is proportional).
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS UI Gothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS PGothic"="IPAPGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"

EOF
    # Dialog, caption and message box text ("MS Shell Dlg" -> Tahoma) and the
    # fallback face for unknown names (DejaVu Sans) take Japanese glyphs from
    # IPA P Gothic.
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]'
    for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "DejaVu Sans"; do
        echo "\"$face\"=hex(7):$link"
    done
}

# Builds BUILD_DIR/wine-template unless its stamp matches the current recipe.
_wine_env_template() {
    local template=$WINE_ENV_BUILD_DIR/wine-template
    local stamp_name=.wine-env-stamp want tmp reg link
    want="recipe=$WINE_ENV_RECIPE wine=$("$WINE" --version 2>/dev/null) user=$(id -un)"
    if [[ -f $template/$stamp_name && $(<"$template/$stamp_name") == "$want" ]]; then
        return 0
    fi
    _wine_env_say "building Wine prefix template ($want)"
    tmp=$template.tmp
    WINEPREFIX=$tmp "$WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$template" "$tmp"

    local log=$WINE_ENV_LOGS/template.log
    if ! WINEPREFIX=$tmp WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" \
        _wine_env_run "$log" "$WINE" wineboot -i; then
        _wine_env_say "wineboot -i failed (see $log)"
        return 1
    fi
    reg=$WINE_ENV_LOGS/template.reg
    # UTF-16 with a BOM: regedit then reads the Japanese names and the
    # REG_MULTI_SZ data as Unicode (a UTF-8 file is read as ANSI).
    { printf '\xef\xbb\xbf' && _wine_env_template_reg; } | iconv -f UTF-8 -t UTF-16LE >"$reg"
    if ! WINEPREFIX=$tmp _wine_env_run "$log" "$WINE" regedit /S "Z:${reg//\//\\}"; then
        _wine_env_say "regedit failed (see $log)"
        return 1
    fi
    # The registry reaches the files only when the server exits.
    WINEPREFIX=$tmp _wine_env_run "$log" "$WINESERVER" -w || true
    if ! grep -q '"Decorated"="N"' "$tmp/user.reg" ||
        ! grep -q 'ipagp.ttf,IPAPGothic' "$tmp/system.reg"; then
        _wine_env_say "registry settings missing from the new prefix (see $log)"
        return 1
    fi

    # Caption buttons are drawn with Marlett.
    if ! cp "$WINE_ENV_FONT_DIR/marlett.ttf" "$tmp/drive_c/windows/Fonts/"; then
        _wine_env_say "cannot copy $WINE_ENV_FONT_DIR/marlett.ttf"
        return 1
    fi
    # wineboot links Desktop, Documents, Pictures, ... to the home directory;
    # make them plain folders so a program saving there stays in the prefix.
    while IFS= read -r -d '' link; do
        rm -f "$link" && mkdir -p "$link"
    done < <(find "$tmp/drive_c/users" -type l -print0)

    echo "$want" >"$tmp/$stamp_name"
    mv "$tmp" "$template"
}

# Compiles the idle program into BUILD_DIR when missing or older than its source.
_wine_env_idle_exe() {
    WINE_ENV_IDLE_EXE=$WINE_ENV_BUILD_DIR/wine_idle.exe
    if [[ -f $WINE_ENV_IDLE_EXE && $WINE_ENV_IDLE_EXE -nt $WINE_ENV_IDLE_SOURCE ]]; then
        return 0
    fi
    if ! "$WINE_ENV_CC" -mwindows -O2 -s -o "$WINE_ENV_IDLE_EXE" "$WINE_ENV_IDLE_SOURCE" \
        >>"$WINE_ENV_LOGS/wine_idle-build.log" 2>&1; then
        _wine_env_say "cannot compile $WINE_ENV_IDLE_SOURCE (see $WINE_ENV_LOGS/wine_idle-build.log)"
        return 1
    fi
}

# Socket the wineserver of PREFIX listens on. This Wine keeps the name of its
# /tmp/wine-XXXXXX directory in PREFIX/wineserver; upstream uses /tmp/.wine-UID.
_wine_env_socket() {
    local prefix=$1 base
    if [[ -f $prefix/wineserver ]]; then
        base=/tmp/$(<"$prefix/wineserver")
    else
        base=/tmp/.wine-$(id -u)
    fi
    printf '%s/server-%x-%x/socket\n' "$base" "$(stat -c %d "$prefix")" "$(stat -c %i "$prefix")"
}

_wine_env_start_wine() {
    local run=$WINE_ENV_BUILD_DIR/wine-run i socket
    # A server left over from an earlier run of this directory would otherwise
    # be reused by the new prefix.
    if [[ -d $run ]]; then
        WINEPREFIX=$run "$WINESERVER" -k >/dev/null 2>&1 || true
    fi
    rm -rf "$run"
    if ! cp -a "$WINE_ENV_BUILD_DIR/wine-template" "$run"; then
        _wine_env_say "cannot copy the template prefix to $run"
        return 1
    fi
    export WINEPREFIX=$run
    _wine_env_record prefix "$run"

    _wine_env_spawn "$WINE_ENV_LOGS/wineserver.log" "$WINESERVER" -f -p
    WINE_ENV_SERVER_PID=$_wine_env_pid
    _wine_env_record wineserver "$WINE_ENV_SERVER_PID"
    socket=$(_wine_env_socket "$run")
    for ((i = 0; i < 100; i++)); do
        if ! kill -0 "$WINE_ENV_SERVER_PID" 2>/dev/null; then
            _wine_env_say "wineserver exited (see $WINE_ENV_LOGS/wineserver.log)"
            return 1
        fi
        [[ -S $socket ]] && break
        sleep 0.1
    done
    [[ -S $socket ]] || _wine_env_say "no socket at $socket yet; continuing"

    # The idle program's output goes nowhere: the desktop process it starts
    # inherits it.
    _wine_env_spawn /dev/null "$WINE" "$WINE_ENV_IDLE_EXE"
    WINE_ENV_IDLE_PID=$_wine_env_pid
    _wine_env_record idle "$WINE_ENV_IDLE_PID"
    for ((i = 0; i < 200; i++)); do
        if ! kill -0 "$WINE_ENV_IDLE_PID" 2>/dev/null; then
            _wine_env_say "wine_idle.exe exited"
            return 1
        fi
        local pid
        for pid in $(_wine_env_prefix_pids "$run"); do
            if _wine_env_is "$pid" explorer.exe; then
                return 0
            fi
        done
        sleep 0.1
    done
    _wine_env_say "explorer.exe did not start within 20 s"
    return 1
}

# wine_env_up BUILD_DIR: starts the display, prepares the prefix and starts the
# Wine processes that live for the whole run. Cleans up after itself on failure.
wine_env_up() {
    if [[ $# -ne 1 || -z $1 ]]; then
        echo "usage: wine_env_up BUILD_DIR" >&2
        return 2
    fi
    mkdir -p "$1" || return 1
    WINE_ENV_BUILD_DIR=$(cd "$1" && pwd) || return 1
    WINE_ENV_LOGS=$WINE_ENV_BUILD_DIR/wine-logs
    WINE_ENV_HOME=$WINE_ENV_BUILD_DIR/wine-home
    WINE_ENV_STATE=$WINE_ENV_LOGS/wine-env.state
    mkdir -p "$WINE_ENV_LOGS" "$WINE_ENV_HOME" || return 1
    if [[ -f $WINE_ENV_STATE ]]; then
        _wine_env_say "stopping what an earlier run left behind"
        wine_env_down "$WINE_ENV_BUILD_DIR"
    fi
    : >"$WINE_ENV_STATE"
    WINE_ENV_XVFB_PID='' WINE_ENV_OPENBOX_PID='' WINE_ENV_SERVER_PID='' WINE_ENV_IDLE_PID=''

    export WINE=$WINE_ENV_LOADER WINESERVER=$WINE_ENV_SERVER_BIN WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
    unset LC_ALL
    local tool
    for tool in "$WINE" "$WINESERVER" Xvfb openbox xdpyinfo xprop iconv "$WINE_ENV_CC"; do
        if ! command -v "$tool" >/dev/null; then
            _wine_env_say "$tool not found (run scripts/install-deps.sh)"
            return 1
        fi
    done

    local start=$SECONDS
    if _wine_env_start_display && _wine_env_template && _wine_env_idle_exe && _wine_env_start_wine; then
        _wine_env_say "up in $((SECONDS - start)) s: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
        return 0
    fi
    wine_env_down "$WINE_ENV_BUILD_DIR"
    return 1
}

# wine_env_down [BUILD_DIR]: stops what wine_env_up started there (default: the
# last wine_env_up of this shell). Idempotent; never fails.
wine_env_down() {
    local build_dir=${1:-${WINE_ENV_BUILD_DIR:-}}
    [[ -n $build_dir ]] || return 0
    local state=$build_dir/wine-logs/wine-env.state
    [[ -f $state ]] || return 0
    local key value xvfb='' display='' openbox='' server='' idle='' prefix='' pid
    while IFS='=' read -r key value; do
        case $key in
        xvfb) xvfb=$value ;;
        xvfb_display) display=$value ;;
        openbox) openbox=$value ;;
        wineserver) server=$value ;;
        idle) idle=$value ;;
        prefix) prefix=$value ;;
        esac
    done <"$state"

    _wine_env_stop "$idle" wine_idle
    if [[ -n $prefix && -d $prefix ]]; then
        WINEPREFIX=$prefix "$WINE_ENV_SERVER_BIN" -k >/dev/null 2>&1 || true
        if [[ -n $server ]] && ! _wine_env_wait_gone "$server" 5; then
            _wine_env_stop "$server" wineserver
        fi
        # Anything of this prefix the server did not take down with it.
        for pid in $(_wine_env_prefix_pids "$prefix"); do
            kill -KILL "$pid" 2>/dev/null || true
        done
    fi
    _wine_env_stop "$server" wineserver
    _wine_env_stop "$openbox" openbox
    _wine_env_stop "$xvfb" Xvfb
    # Xvfb removes these itself unless it had to be killed.
    if [[ -n $display && -n $xvfb ]] && [[ $(tr -d ' \n' 2>/dev/null <"/tmp/.X$display-lock") == "$xvfb" ]]; then
        rm -f "/tmp/.X$display-lock" "/tmp/.X11-unix/X$display"
    fi
    rm -f "$state"
    WINE_ENV_XVFB_PID='' WINE_ENV_OPENBOX_PID='' WINE_ENV_SERVER_PID='' WINE_ENV_IDLE_PID=''
    return 0
}

# wine_env_screenshot FILE: the whole virtual screen as an image.
wine_env_screenshot() {
    if [[ $# -ne 1 || -z ${DISPLAY:-} ]]; then
        echo "usage: wine_env_screenshot FILE (after wine_env_up)" >&2
        return 2
    fi
    /usr/bin/import -display "$DISPLAY" -window root "$1"
}

# Run directly: scripts/wine-env.sh BUILD_DIR [--] COMMAND [ARG...]
if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    set -euo pipefail
    if [[ $# -lt 2 ]]; then
        echo "usage: $0 BUILD_DIR [--] COMMAND [ARG...]" >&2
        exit 2
    fi
    build=$1
    shift
    if [[ $1 == -- ]]; then
        shift
    fi
    trap wine_env_down EXIT
    wine_env_up "$build"
    status=0
    "$@" || status=$?
    exit "$status"
fi
