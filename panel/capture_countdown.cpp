#include "panel/capture_countdown.h"

namespace panel {

bool CaptureCountdown::Start(int seconds) noexcept {
    if (Counting() || seconds < 1)
        return false;
    m_secondsLeft = seconds;
    return true;
}

bool CaptureCountdown::Tick() noexcept {
    if (!Counting())
        return false;
    return --m_secondsLeft == 0;
}

std::wstring CaptureButtonText(const CaptureCountdown& countdown, const std::wstring& ownText) {
    return countdown.Counting() ? std::to_wstring(countdown.SecondsLeft()) : ownText;
}

} // namespace panel
