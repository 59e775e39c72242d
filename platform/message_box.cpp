#include "platform/message_box.h"

#include "platform/app.h"
#include "platform/modal_scope.h"
#include "platform/path_text.h"

namespace platform {

int ShowMessage(HWND owner, const wchar_t* text) {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring caption = FileStem(path);
    if (!owner) {
        if (CWinApp* app = CWinApp::Current())
            owner = app->MainWindowHandle();
    }
    // The box disables its owner itself; the program's other windows wait with it.
    const ModalScope others(owner);
    return ::MessageBoxW(owner, text, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

} // namespace platform
