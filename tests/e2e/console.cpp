#include "tests/e2e/console.h"

#include "tests/e2e/report.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/text.h"

#include <cstdio>
#include <cstdint>
#include <cwchar>

namespace e2e {

using support::narrow;
using support::widen;

namespace {

const wchar_t kReadMode[] = L"--read-console";
const wchar_t kCtrlMode[] = L"--console-ctrl";

// Helper mode: attach to a process's console and print its text (run with no console of its own).
int readConsoleMode(DWORD pid) {
    FreeConsole();
    if (!AttachConsole(pid)) {
        say("attach=fail");
        sayKey("attach_error", GetLastError());
        return 3;
    }
    say("attach=ok");
    char buf[32];
    snprintf(buf, sizeof buf, "%llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetConsoleWindow())));
    say(std::string("window=") + buf);
    platform::UniqueFile out(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                         nullptr));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!out || !GetConsoleScreenBufferInfo(out.get(), &info)) {
        sayKey("buffer_error", GetLastError());
        FreeConsole();
        return 4;
    }
    say("size=" + std::to_string(info.dwSize.X) + "x" + std::to_string(info.dwSize.Y));
    std::wstring row(static_cast<size_t>(info.dwSize.X), L' ');
    for (SHORT y = 0; y < info.dwSize.Y; ++y) {
        DWORD got = 0;
        if (!ReadConsoleOutputCharacterW(out.get(), row.data(), info.dwSize.X, COORD{0, y}, &got))
            break;
        std::wstring text = row.substr(0, got);
        while (!text.empty() && (text.back() == L' ' || text.back() == L'\0'))
            text.pop_back();
        if (!text.empty())
            say("line=" + narrow(text));
    }
    out.reset();
    FreeConsole();
    return 0;
}

volatile LONG g_ctrlSeen = 0;
BOOL WINAPI countCtrl(DWORD) {
    InterlockedIncrement(&g_ctrlSeen);
    return TRUE; // handled: this helper must not end
}

// Helper mode: attach to a process's console and send Ctrl+C or Ctrl+Break to every process on it.
int consoleCtrlMode(DWORD pid, const std::wstring& which) {
    DWORD event = which == L"break" ? CTRL_BREAK_EVENT : CTRL_C_EVENT;
    FreeConsole();
    if (!AttachConsole(pid)) {
        say("attach=fail");
        sayKey("attach_error", GetLastError());
        return 3;
    }
    SetConsoleCtrlHandler(countCtrl, TRUE);
    BOOL sent = GenerateConsoleCtrlEvent(event, 0);
    sayKey("sent", sent ? 1 : 0);
    if (!sent)
        sayKey("send_error", GetLastError());
    waitFor([] { return g_ctrlSeen > 0; }, 1500);
    sayKey("seen_by_helper", static_cast<long>(g_ctrlSeen));
    FreeConsole();
    return 0;
}

} // namespace

ConsoleView readConsole(DWORD pid) {
    ConsoleView view;
    HelperResult r = runHelper(std::wstring(kReadMode) + L" " + std::to_wstring(pid));
    if (!r.finished)
        fail("console reader helper did not finish; it printed " + quotedBytes(r.output));
    for (auto& [key, value] : parseLines(r.output)) {
        if (key == "attach")
            view.attached = value == "ok";
        else if (key == "attach_error")
            view.attachError = static_cast<DWORD>(std::stoul(value));
        else if (key == "window")
            view.window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(value, nullptr, 16)));
        else if (key == "line")
            view.lines.push_back(widen(value));
    }
    return view;
}

ConsoleView waitConsoleText(DWORD pid, size_t minLines, DWORD ms) {
    ConsoleView view;
    waitFor(
        [&] {
            view = readConsole(pid);
            return view.attached && view.lines.size() >= minLines;
        },
        ms, 400);
    return view;
}

void expectNoConsole(const Process& p, const std::string& row) {
    ConsoleView view = readConsole(p.pid());
    if (view.attached)
        fail(row +
             "AttachConsole(vantrel) succeeded, so it has a console; its text: " + joinLines(view.lines));
    sayKey("attach_console_error", view.attachError);
}

std::vector<HWND> consoleWindows() {
    return topLevelWindows(0, L"WineConsoleClass");
}

HelperResult sendConsoleCtrl(DWORD pid, const wchar_t* which) {
    return runHelper(std::wstring(kCtrlMode) + L" " + std::to_wstring(pid) + L" " + which);
}

std::optional<int> runConsoleHelperMode(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], kReadMode) == 0)
        return readConsoleMode(static_cast<DWORD>(wcstoul(argv[2], nullptr, 10)));
    if (argc == 4 && std::wcscmp(argv[1], kCtrlMode) == 0)
        return consoleCtrlMode(static_cast<DWORD>(wcstoul(argv[2], nullptr, 10)), argv[3]);
    return std::nullopt;
}

} // namespace e2e
