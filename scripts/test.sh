#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests, then the end-to-end tests that drive
# the real vantrel.exe under Wine on a private Xvfb display. Exits non-zero on any failure and keeps
# screenshots of failures in build/shots.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" all

passed=0
failed=0
# Adds the counts of one ctest run (its "N tests failed out of M" line) to the totals.
tally() {
    local line total bad
    line=$(grep -E 'tests failed out of [0-9]+' "$1" | tail -n 1) || true
    [ -n "$line" ] || { failed=$((failed + 1)); return; }
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

log="$build/test-logs"
mkdir -p "$log"
status=0
ctest --test-dir "$build/native" --output-on-failure 2>&1 | tee "$log/native.txt" || status=1
tally "$log/native.txt"

# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$build"
export VANTREL_SHOT_DIR="$build/shots"
rm -rf "$VANTREL_SHOT_DIR"
mkdir -p "$VANTREL_SHOT_DIR"
if ! ctest --test-dir "$build/win" --output-on-failure 2>&1 | tee "$log/e2e.txt"; then
    status=1
    wine_env_screenshot "$VANTREL_SHOT_DIR/after-failure.png" || true
    echo "screenshots of the failures: $VANTREL_SHOT_DIR"
fi
tally "$log/e2e.txt"

echo "tests: $passed passed, $failed failed"
[ "$status" -eq 0 ] && [ "$failed" -eq 0 ]
