#pragma once
// While one of the program's modal runs is up (a dialog, a message box, the save dialog), none of its other
// windows takes a command: a dialog owned by the frame holds the panel still too, and one owned by the panel
// the frame.

#include <windows.h>

#include <vector>

namespace platform {

// Disables, for its lifetime, every enabled top-level dialog window of this thread except `owner`, and
// enables again exactly those it disabled that still exist. The owner is left to the modal run itself: the
// system's runs disable it, enable it again and give it the activation back as they end, which they skip
// for an owner someone else disabled.
class ModalScope {
public:
    explicit ModalScope(HWND owner);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    std::vector<HWND> m_disabled;
};

} // namespace platform
