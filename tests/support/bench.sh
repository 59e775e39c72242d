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
