#include "platform/dpi_scale.h"

namespace platform {

int MulDivRounded(int a, int b, int c) noexcept {
    if (c == 0)
        return -1;
    long long product = static_cast<long long>(a) * b;
    long long divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const long long result =
        product < 0 ? (product - divisor / 2) / divisor : (product + divisor / 2) / divisor;
    if (result > 2147483647LL || result < -2147483647LL)
        return -1;
    return static_cast<int>(result);
}

int Scale(int value, int dpi) noexcept {
    return MulDivRounded(value, dpi, kDefaultDpi);
}

int FontHeightAtDpi(int lfHeight, int fromDpi, int toDpi) noexcept {
    if (fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi)
        return lfHeight;
    const int points = MulDivRounded(lfHeight < 0 ? -lfHeight : lfHeight, 72, fromDpi);
    const int height = MulDivRounded(points, toDpi, 72);
    return lfHeight < 0 ? -height : height;
}

} // namespace platform
