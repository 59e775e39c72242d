// Polling: what the driver does while another process gets to a state.
#pragma once

#include "tests/support/stopwatch.h"

#include <windows.h>

namespace e2e {

// Longest single wait of any case.
constexpr DWORD kWaitMs = 15000;

// Polls cond every step ms until it holds or ms have passed; returns its last value.
template <class Cond> bool waitFor(Cond cond, DWORD ms = kWaitMs, DWORD step = 20) {
    support::Stopwatch watch;
    for (;;) {
        if (cond())
            return true;
        if (watch.ms() >= ms)
            return cond();
        Sleep(step);
    }
}

} // namespace e2e
