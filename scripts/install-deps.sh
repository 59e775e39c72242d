#!/usr/bin/env bash
# Installs everything needed to build Vantrel (native unit tests and the Windows
# build) and to run the Windows build under Wine with Xvfb, on Debian 12.
# Idempotent: returns at once when every package is already there.
#
#   sudo scripts/install-deps.sh          # install what is missing
#   scripts/install-deps.sh --check       # only list what is missing (exit 1 if any)
set -euo pipefail

packages=(
    # Native build and unit tests; python3 draws the images and checks them against res/
    cmake g++ make googletest libgtest-dev python3
    # zlib for the PNG writer (natively; libpng reads its files back in the unit tests)
    zlib1g-dev libpng-dev
    # Windows cross build (posix thread model: std::mutex for GoogleTest); zlib linked statically
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
    # Running the .exe: 64-bit Wine only, no wine32
    wine wine64 fonts-wine
    # X libraries Wine's X11 driver loads at run time (only "Recommends" of libwine,
    # so --no-install-recommends would leave them out): XRender for anti-aliased
    # text and alpha, XFixes for clipboard change events, XRandR/XInerama for the
    # screen layout, XInput2/Xcursor/XComposite for pointer and window handling.
    libxrender1 libxfixes3 libxrandr2 libxinerama1 libxi6 libxcursor1
    libxcomposite1 libxxf86vm1 fontconfig
    # Headless display, window manager and the tools the tests drive it with
    # (x11-utils: xdpyinfo, xprop; imagemagick: import, convert, identify)
    xvfb openbox x11-utils xdotool xclip imagemagick
    # Japanese glyphs for dialogs and message boxes
    fonts-ipafont-gothic
    # ps, pgrep for the environment scripts
    procps
)

check_only=0
if [[ ${1:-} == --check ]]; then
    check_only=1
elif [[ $# -gt 0 ]]; then
    echo "usage: $0 [--check]" >&2
    exit 2
fi

# Prints the packages from the arguments that are not fully installed (one
# dpkg-query for all of them: unknown names only produce a message on stderr).
missing_packages() {
    local -A installed=()
    local status name pkg
    while read -r status name; do
        if [[ $status == ii ]]; then
            installed[${name%%:*}]=1
        fi
    done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "$@" 2>/dev/null || true)
    for pkg in "$@"; do
        if [[ -z ${installed[$pkg]:-} ]]; then
            echo "$pkg"
        fi
    done
}

mapfile -t missing < <(missing_packages "${packages[@]}")

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "install-deps: all ${#packages[@]} packages present"
    exit 0
fi

echo "install-deps: missing: ${missing[*]}"
if [[ $check_only -eq 1 ]]; then
    exit 1
fi
if [[ $(id -u) -ne 0 ]]; then
    echo "install-deps: run as root to install them" >&2
    exit 1
fi

apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"

# Verify: a package apt could not configure would otherwise go unnoticed until
# the first build.
mapfile -t still_missing < <(missing_packages "${missing[@]}")
if [[ ${#still_missing[@]} -gt 0 ]]; then
    echo "install-deps: still not installed: ${still_missing[*]}" >&2
    exit 1
fi
echo "install-deps: installed ${#missing[@]} package(s)"
