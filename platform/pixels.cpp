#include "platform/pixels.h"

#include <algorithm>

namespace platform {

namespace {

Rect Clip(PixelView view, const Rect& area) noexcept {
    return Rect{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, view.width),
                std::min(area.bottom, view.height)};
}

} // namespace

void SetAlpha(PixelView view, const Rect& area, std::uint8_t alpha) noexcept {
    const Rect r = Clip(view, area);
    const std::uint32_t a = static_cast<std::uint32_t>(alpha) << 24;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            std::uint32_t& p = view.pixels[y * view.stride + x];
            p = (p & 0x00FFFFFFu) | a;
        }
}

bool AnyAlpha(PixelView view, const Rect& area) noexcept {
    const Rect r = Clip(view, area);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (view.pixels[y * view.stride + x] >> 24)
                return true;
    return false;
}

namespace {

// How much of each source pixel along one axis each target pixel covers, in units of 1/to of a source
// pixel: target i spans [i * from, (i + 1) * from) and source j spans [j * to, (j + 1) * to).
struct Cover {
    int first = 0;            // the first source pixel covered
    std::vector<int> weights; // its share and those of the ones after it; they add up to `from`
};
std::vector<Cover> Covers(int from, int to) {
    std::vector<Cover> covers(static_cast<size_t>(to));
    for (int i = 0; i < to; ++i) {
        const long long begin = static_cast<long long>(i) * from, end = begin + from;
        Cover& c = covers[static_cast<size_t>(i)];
        c.first = static_cast<int>(begin / to);
        for (long long j = c.first; j * to < end; ++j)
            c.weights.push_back(static_cast<int>(std::min(end, (j + 1) * to) - std::max(begin, j * to)));
    }
    return covers;
}

} // namespace

std::vector<std::uint32_t> ResampleByArea(const std::uint32_t* pixels, int fromWidth, int fromHeight,
                                          int width, int height) {
    if (!pixels || fromWidth <= 0 || fromHeight <= 0 || width <= 0 || height <= 0)
        return {};
    const std::vector<Cover> across = Covers(fromWidth, width), down = Covers(fromHeight, height);
    const long long total = static_cast<long long>(fromWidth) * fromHeight;
    std::vector<std::uint32_t> out(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const Cover& cy = down[static_cast<size_t>(y)];
        for (int x = 0; x < width; ++x) {
            const Cover& cx = across[static_cast<size_t>(x)];
            long long sum[4] = {0, 0, 0, 0};
            for (size_t j = 0; j < cy.weights.size(); ++j) {
                const std::uint32_t* row =
                    pixels + static_cast<size_t>(cy.first + static_cast<int>(j)) * fromWidth;
                for (size_t i = 0; i < cx.weights.size(); ++i) {
                    const long long w = static_cast<long long>(cy.weights[j]) * cx.weights[i];
                    const std::uint32_t p = row[cx.first + static_cast<int>(i)];
                    for (int k = 0; k < 4; ++k)
                        sum[k] += w * ((p >> (8 * k)) & 0xFF);
                }
            }
            std::uint32_t p = 0;
            for (int k = 0; k < 4; ++k)
                p |= static_cast<std::uint32_t>((sum[k] + total / 2) / total) << (8 * k);
            out[static_cast<size_t>(y) * width + x] = p;
        }
    }
    return out;
}

} // namespace platform
