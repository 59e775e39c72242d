#!/usr/bin/env bash
# Configures and builds both trees: build/native (pure logic and unit tests) and build/win
# (vantrel.exe and the end-to-end driver, cross-compiled with mingw-w64).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"
what="${1:-all}"

if [ "$what" = all ] || [ "$what" = native ]; then
    cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build/native" -j"$(nproc)"
fi
if [ "$what" = all ] || [ "$what" = win ]; then
    cmake -S "$root" -B "$build/win" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$build/win" -j"$(nproc)"
fi
