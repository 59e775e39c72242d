#pragma once
// The countdown of a timed capture: started with a number of seconds, it goes down by one each second and
// asks for the capture when it reaches zero; meanwhile the Capture button shows the seconds left. A
// click on the counting button or Clear stops it without a capture.

#include <string>

namespace panel {

class CaptureCountdown {
public:
    bool Counting() const noexcept { return m_secondsLeft > 0; }
    int SecondsLeft() const noexcept { return m_secondsLeft; }

    // Starts counting down from seconds; false, with nothing changed, while a count runs already or for
    // fewer than one second.
    bool Start(int seconds) noexcept;
    // One second has passed; true exactly when the count reaches zero now, which ends it: the capture is
    // due. Nothing happens while no count runs.
    bool Tick() noexcept;
    // Ends a running count without a capture.
    void Cancel() noexcept { m_secondsLeft = 0; }

private:
    int m_secondsLeft = 0;
};

// What the Capture button shows: the seconds left while counting ("3", "2", "1"), else its own text.
std::wstring CaptureButtonText(const CaptureCountdown& countdown, const std::wstring& ownText);

} // namespace panel
