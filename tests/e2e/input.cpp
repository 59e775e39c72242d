#include "tests/e2e/input.h"

#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"

#include <cstring>

namespace e2e {

namespace {
void sendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}
} // namespace

void pressChord(const std::vector<WORD>& keys) {
    for (WORD vk : keys) {
        sendKey(vk, false);
        Sleep(60);
    }
    Sleep(60);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        sendKey(*it, true);
        Sleep(60);
    }
}

bool bringToFront(HWND hwnd, DWORD ms) {
    return waitFor(
        [&] {
            if (GetForegroundWindow() == hwnd)
                return true;
            SetForegroundWindow(hwnd);
            return GetForegroundWindow() == hwnd;
        },
        ms, 100);
}

void putClipboardText(const wchar_t* text) {
    check(OpenClipboard(nullptr), "the driver could not open the clipboard");
    EmptyClipboard();
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(mem), text, bytes);
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
}

std::wstring clipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE mem = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(mem));
        GlobalUnlock(mem);
    }
    CloseClipboard();
    return text;
}

} // namespace e2e
