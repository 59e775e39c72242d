#include "platform/message_box.h"

#include "platform/app.h"

#include <shlwapi.h>

namespace platform {

int ShowMessage(HWND owner, const wchar_t* text) {
    wchar_t caption[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, caption, MAX_PATH);
    ::PathStripPathW(caption);
    ::PathRemoveExtensionW(caption);
    if (!owner) {
        if (CWinApp* app = CWinApp::Current())
            owner = app->MainWindowHandle();
    }
    return ::MessageBoxW(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace platform
