#include "frame/frame_logic.h"

#include <algorithm>

namespace frame {

std::wstring FormatCaption(int clientWidth, int clientHeight) {
    return L"Vantrel W:" + std::to_wstring(clientWidth) + L" H:" + std::to_wstring(clientHeight);
}

long long MapHitTest(long long defaultAnswer, bool pictureHeld) noexcept {
    if (pictureHeld && defaultAnswer >= kHtLeft && defaultAnswer <= kHtBottomRight)
        return kHtBorder;
    return defaultAnswer;
}

int IconOffset(int clientExtent, int iconExtent) noexcept {
    return (clientExtent - iconExtent + 1) / 2;
}

bool IsAboutCommand(unsigned int command) noexcept {
    return (command & kSysCommandMask) == kAboutCommand;
}

bool FollowsWineShapes(const char* wineVersion) noexcept {
    // Every Wine so far shapes keyed windows from their pixels; an empty version text is still Wine.
    return wineVersion != nullptr;
}

std::uint32_t KeyColourAbsentFrom(const std::vector<std::uint32_t>& pixels) {
    constexpr std::uint32_t kRgb = 0xFFFFFF;
    const auto isKey = [](std::uint32_t pixel) { return (pixel & kRgb) == kKeyRgb; };
    if (std::none_of(pixels.begin(), pixels.end(), isKey))
        return kKeyRgb;
    std::vector<bool> held(std::size_t{kRgb} + 1);
    for (const std::uint32_t pixel : pixels)
        held[pixel & kRgb] = true;
    for (std::uint32_t step = 1; step <= kRgb; ++step) {
        const std::uint32_t colour = (kKeyRgb + step) & kRgb;
        if (!held[colour])
            return colour;
    }
    return kKeyRgb;
}

std::vector<platform::Rect> AroundPicture(int clientWidth, int clientHeight, int pictureWidth,
                                          int pictureHeight) {
    if (pictureWidth == 0 || pictureHeight == 0)
        return {{0, 0, clientWidth, clientHeight}};
    const platform::Rect right{pictureWidth, 0, clientWidth, clientHeight};
    const platform::Rect below{0, pictureHeight, pictureWidth < clientWidth ? pictureWidth : clientWidth,
                               clientHeight};
    std::vector<platform::Rect> parts;
    for (const platform::Rect& part : {right, below})
        if (part.Width() > 0 && part.Height() > 0)
            parts.push_back(part);
    return parts;
}

} // namespace frame
