#!/usr/bin/env bash
# Builds Vantrel and starts it under Wine. On the current X display when there is one; otherwise on
# a virtual display, where it takes a screenshot of the running program and prints where it is.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" win

# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
trap wine_env_down EXIT
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINE_ENV_USE_DISPLAY=1
    wine_env_up "$build"
    echo "Vantrel runs on $DISPLAY; it ends when you close its frame (Enter, Esc or Alt+F4)."
    "$WINE" "$build/win/vantrel.exe"
    exit 0
fi

wine_env_up "$build"
"$WINE" "$build/win/vantrel.exe" >/dev/null 2>&1 &
for _ in $(seq 1 100); do
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 'window id' &&
        xdotool search --name '^Vantrel W:' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1
shot="$build/vantrel-screenshot.png"
wine_env_screenshot "$shot"
echo "Vantrel is running on the virtual display $DISPLAY."
echo "Screenshot: $shot"
if [ -t 0 ]; then
    read -r -p "Press Enter to end it. " _
fi
