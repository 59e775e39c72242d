#include "platform/message_box.h"

#include "platform/app.h"
#include "platform/modal_scope.h"
#include "platform/path_text.h"

namespace platform {

namespace {

int ShowBox(HWND owner, const wchar_t* text, UINT type) {
    const std::wstring caption = FileStem(ExecutablePath());
    if (!owner) {
        if (CWinApp* app = CWinApp::Current())
            owner = app->MainWindowHandle();
    }
    // The box disables its owner itself; the program's other windows wait with it.
    const ModalScope others(owner);
    return ::MessageBoxW(owner, text, caption.c_str(), type);
}

} // namespace

int ShowMessage(HWND owner, const wchar_t* text) {
    return ShowBox(owner, text, MB_OK | MB_ICONEXCLAMATION);
}

bool AskYesNo(HWND owner, const wchar_t* text) {
    return ShowBox(owner, text, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

} // namespace platform
