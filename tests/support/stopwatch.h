// Time since a start, read from the performance counter.
#pragma once

#include <windows.h>

namespace support {

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double seconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency());
    }
    double ms() const { return seconds() * 1000.0; }

private:
    // Fixed at boot; asked once.
    static LONGLONG frequency() {
        static const LONGLONG perSecond = [] {
            LARGE_INTEGER f;
            QueryPerformanceFrequency(&f);
            return f.QuadPart;
        }();
        return perSecond;
    }
    LARGE_INTEGER start_{};
};

} // namespace support
