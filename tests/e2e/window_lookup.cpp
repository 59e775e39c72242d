#include "tests/e2e/window_lookup.h"

#include "tests/e2e/report.h"

#include <algorithm>

namespace e2e {

const wchar_t* const kAboutCaption = L"バージョン情報 Vantrel";
const wchar_t* const kExitQuestion = L"保存していないキャプチャー画像があります。終了しますか?";

std::wstring windowText(HWND hwnd) {
    wchar_t buf[1024] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                             &got))
        return L"<no answer to WM_GETTEXT>";
    return std::wstring(buf, std::min<size_t>(got, 1023));
}

std::wstring className(HWND hwnd) {
    wchar_t buf[256] = {};
    int n = GetClassNameW(hwnd, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}

DWORD windowPid(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

RECT windowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT clientRectOnScreen(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    POINT tl{r.left, r.top}, br{r.right, r.bottom};
    ClientToScreen(hwnd, &tl);
    ClientToScreen(hwnd, &br);
    return RECT{tl.x, tl.y, br.x, br.y};
}

SIZE clientSize(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT workArea() {
    RECT r{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

POINT centre(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

namespace {
struct EnumQuery {
    DWORD pid;
    const wchar_t* cls;
    bool visibleOnly;
    std::vector<HWND>* out;
};

BOOL CALLBACK collectWindow(HWND hwnd, LPARAM lp) {
    auto* q = reinterpret_cast<EnumQuery*>(lp);
    if ((q->pid == 0 || windowPid(hwnd) == q->pid) && (!q->visibleOnly || IsWindowVisible(hwnd)) &&
        (!q->cls || className(hwnd) == q->cls))
        q->out->push_back(hwnd);
    return TRUE;
}
} // namespace

std::vector<HWND> topLevelWindows(DWORD pid, const wchar_t* cls, bool visibleOnly) {
    std::vector<HWND> out;
    EnumQuery q{pid, cls, visibleOnly, &out};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&q));
    return out;
}

int zIndex(HWND hwnd) {
    int i = 0;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT), ++i)
        if (w == hwnd)
            return i;
    return -1;
}

bool sendMessageTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD ms, DWORD_PTR* result) {
    DWORD_PTR dummy = 0;
    return SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, ms, result ? result : &dummy) != 0;
}

std::string describeWindows(DWORD pid) {
    std::string out;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (windowPid(w) != pid)
            continue;
        out += " [" + hex(w) + " class=" + quoted(className(w)) + " caption=" + quoted(windowText(w)) +
               (IsWindowVisible(w) ? " visible" : " hidden") + "]";
    }
    return out.empty() ? " none" : out;
}

HWND exitQuestion(DWORD pid) {
    for (HWND w : topLevelWindows(pid))
        if (HWND text = GetDlgItem(w, 0xFFFF); text && windowText(text) == kExitQuestion)
            return w;
    return nullptr;
}

HWND waitForFrame(const Process& process, DWORD ms) {
    HWND frame = nullptr;
    waitFor(
        [&] {
            // Unowned and not the About box; among several, the one whose caption names the program.
            for (HWND w : topLevelWindows(process.pid())) {
                std::wstring caption = windowText(w);
                if (caption == kAboutCaption || GetWindow(w, GW_OWNER))
                    continue;
                if (!frame || caption.rfind(L"Vantrel", 0) == 0)
                    frame = w;
            }
            return frame != nullptr || !process.running();
        },
        ms);
    if (!frame) {
        if (!process.running())
            fail("vantrel ended (exit code " + std::to_string(process.exitCode()) +
                 ") without showing its frame");
        fail("no visible top-level #32770 frame window within " + std::to_string(ms) +
             " ms; windows of the process:" + describeWindows(process.pid()));
    }
    sayKey("frame", hex(frame));
    return frame;
}

HWND waitForNewWindow(const Process& process, const std::vector<HWND>& existing, DWORD ms) {
    HWND found = nullptr;
    waitFor(
        [&] {
            for (HWND w : topLevelWindows(process.pid()))
                if (std::find(existing.begin(), existing.end(), w) == existing.end()) {
                    found = w;
                    return true;
                }
            return false;
        },
        ms);
    return found;
}

} // namespace e2e
