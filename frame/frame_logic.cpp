#include "frame/frame_logic.h"

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

bool SettlesPictureLookWhenShown(const char* wineVersion) noexcept {
    // Every Wine so far keeps the hidden window keyed; an empty version text is still Wine.
    return wineVersion != nullptr;
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
