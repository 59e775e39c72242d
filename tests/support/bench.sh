# shellcheck shell=bash
#
# What every benchmark script under bench/ does first, sourced by them after `set -euo pipefail`:
#
#     root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
#     source "$root/tests/support/bench.sh"
#     bench_runs 20 "$@"                    # sets runs from the first argument (20 if none)
#     bench_build save bench_save_probe.exe # builds the Windows tree, checks that the programs are there
#     bench_build_tree native gif bench_quantize_probe # the same for another tree
#     bench_wine save                       # its own Wine environment; torn down when the script ends
#     echo "$(bench_machine)"               # "wine-8.0, 2 cores"
#     bench_desktop_shot desktop.ppm        # a screenshot of a private X display with real windows
#
# Sets root (if unset) and build (VANTREL_BUILD_DIR, or build/ in the tree).

root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
build="${VANTREL_BUILD_DIR:-$root/build}"

# bench_runs DEFAULT [RUNS]: sets runs, or ends the script with its usage when RUNS is not a count.
bench_runs() {
    runs="${2:-$1}"
    if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
        echo "usage: $0 [RUNS]" >&2
        exit 2
    fi
}

# bench_build NAME EXE...: builds the Windows tree (log in build/bench-NAME-build.log) and ends the script
# when that fails or one of the programs is missing from build/win.
bench_build() {
    bench_build_tree win "$@"
}

# bench_build_tree TREE NAME PROGRAM...: the same for the tree scripts/build.sh names TREE (win or native),
# whose programs are in build/TREE.
bench_build_tree() {
    local tree=$1 name=$2 program
    shift 2
    local log="$build/bench-$name-build.log"
    mkdir -p "$build"
    if ! "$root/scripts/build.sh" "$tree" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "build failed (full log: $log)" >&2
        exit 1
    fi
    for program in "$@"; do
        if [[ ! -f $build/$tree/$program ]]; then
            echo "$build/$tree/$program was not built (are the bench targets in CMakeLists.txt?)" >&2
            exit 1
        fi
    done
}

# time_ms COMMAND...: runs the command and prints how long it took in ms.
time_ms() {
    local start end
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN { printf "%.2f\n", ns / 1e6 }'
}

# stats [DIGITS]: reads numbers on standard input; prints "median min max" with DIGITS decimals (1 if none).
stats() {
    sort -g | awk -v d="${1:-1}" '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        f = "%." d "f"; printf f " " f " " f "\n", m, v[1], v[NR] }'
}

# bench_wine NAME: a Wine environment of its own under build/bench-NAME, so that a test run or another
# benchmark using build/ at the same time is neither taken down nor reused by this one. Exports WINE,
# WINEPREFIX, DISPLAY, ...; torn down when the script exits.
bench_wine() {
    # shellcheck source=scripts/wine-env.sh
    source "$root/scripts/wine-env.sh"
    trap wine_env_down EXIT
    wine_env_up "$build/bench-$1"
}

# The Wine version and the number of cores, for the first line of a benchmark's report.
bench_machine() {
    echo "$("$WINE" --version), $(nproc) cores"
}

# bench_desktop_shot OUT.ppm: a 1920x1080 screenshot of a private X display with real windows: openbox,
# terminals with coloured listings and text, a clock, a calculator, a caption window with Japanese and Latin
# anti-aliased text, on a gradient background. Needs xterm and x11-apps beyond the test set-up and installs
# them when run as root. Runs in a subshell: what it starts is ended when it returns, however it returns.
bench_desktop_shot() (
    local out=$1 work number="" tool missing=()
    for tool in /usr/bin/convert:imagemagick /usr/bin/Xvfb:xvfb /usr/bin/openbox:openbox \
        /usr/bin/xdotool:xdotool /usr/bin/xterm:xterm /usr/bin/xclock:x11-apps; do
        [[ -x ${tool%%:*} ]] || missing+=("${tool##*:}")
    done
    if [[ ${#missing[@]} -gt 0 ]]; then
        if [[ $(id -u) -ne 0 ]]; then
            echo "missing packages: ${missing[*]} (install them with apt-get as root)" >&2
            exit 1
        fi
        echo "installing ${missing[*]}" >&2
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
    work=$(mktemp -d)
    started=()
    stop_started() {
        local pid
        for pid in "${started[@]}"; do
            kill "$pid" 2>/dev/null || true
        done
        for pid in "${started[@]}"; do
            wait "$pid" 2>/dev/null || true
        done
        rm -rf "$work"
    }
    trap stop_started EXIT
    start() {
        "$@" >/dev/null 2>&1 &
        started+=($!)
    }
    # Xvfb picks a free display itself and writes its number to the given descriptor.
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    started+=($!)
    for _ in $(seq 100); do
        number=$(cat "$work/display")
        [[ -n $number ]] && break
        sleep 0.1
    done
    if [[ -z $number ]]; then
        echo "Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$number"
    start openbox
    convert -size 1920x1080 gradient:'#2b5876'-'#4e4376' "$work/wallpaper.png"
    start display -window root "$work/wallpaper.png"
    convert -size 640x220 gradient:'#fdfbfb'-'#dfe7ee' \
        -font IPAGothic -pointsize 24 -fill '#222222' -annotate +20+50 '画面の一部を切り取ります' \
        -font DejaVu-Sans -pointsize 18 -fill '#0a58ca' -annotate +20+100 'Capture   Copy   Save   Clear' \
        -fill '#b02a37' -annotate +20+140 'The quick brown fox jumps over the lazy dog' \
        -fill '#198754' -annotate +20+180 '1920 x 1080, 24-bit colour' "$work/caption.png"
    start xterm -fa 'DejaVu Sans Mono' -fs 11 -geometry 92x32+30+30 -bg '#1e1e2e' -fg '#cdd6f4' \
        -e sh -c 'ls -l --color=always /usr/share | head -n 60; exec sleep 600'
    start xterm -fa 'DejaVu Sans' -fs 10 -geometry 72x28+840+60 \
        -e sh -c 'head -n 27 /usr/share/common-licenses/GPL-3; exec sleep 600'
    start xclock -render -update 1 -geometry 200x200+40+740
    start xcalc -geometry 240x330+290+700
    start xlogo -render -geometry 180x180+560+760
    start xeyes -geometry 160x110+780+820
    start display -geometry +1180+700 -title caption "$work/caption.png"
    # Wait until every window is shown, then give them a moment to draw.
    local shown=0
    for _ in $(seq 100); do
        shown=$(xdotool search --onlyvisible --class 'XTerm|XClock|XCalc|XLogo|XEyes|Display' 2>/dev/null | wc -l)
        [[ $shown -ge 7 ]] && break
        sleep 0.1
    done
    sleep 2
    import -window root -depth 8 "ppm:$out"
)
