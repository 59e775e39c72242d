#include "tests/e2e/processes.h"

#include "tests/e2e/files.h"
#include "tests/e2e/report.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include <algorithm>
#include <cstdlib>

namespace e2e {

using support::LaunchOptions;
using support::narrow;

Pipe Pipe::create(bool inheritableWrite) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0))
        fail("CreatePipe failed, error " + std::to_string(GetLastError()));
    Pipe p;
    p.read.reset(r);
    p.write.reset(w);
    SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
    if (!inheritableWrite)
        SetHandleInformation(w, HANDLE_FLAG_INHERIT, 0);
    return p;
}

void PipeReader::poll() {
    while (!eof_) {
        DWORD avail = 0;
        if (!PeekNamedPipe(h_, nullptr, 0, nullptr, &avail, nullptr)) {
            eof_ = true; // ERROR_BROKEN_PIPE: every writer is gone
            return;
        }
        if (avail == 0)
            return;
        std::string buf(avail, '\0');
        DWORD got = 0;
        if (!ReadFile(h_, buf.data(), avail, &got, nullptr)) {
            eof_ = true;
            return;
        }
        data_.append(buf.data(), got);
    }
}

bool PipeReader::readToEof(DWORD ms) {
    return waitFor(
        [&] {
            poll();
            return eof_;
        },
        ms, 10);
}

namespace {

// Starts a process through support::launch, trying up to three times: Wine has been seen to fail a creation
// with ERROR_INTERNAL_ERROR (1359) while many short-lived processes came and went.
support::Launched startProcess(const LaunchOptions& options) {
    support::Launched launched;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        launched = support::launch(options);
        if (launched.started && launched.process)
            return launched;
        say("create_process_error=" + std::to_string(launched.error) + " attempt=" + std::to_string(attempt));
        Sleep(300);
    }
    fail("CreateProcessW(" + narrow(options.exe) + ", " + quoted(support::commandLineOf(options)) +
         ") failed, error " + std::to_string(launched.error));
}

} // namespace

void clearRememberedFrame() {
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantrel");
    check(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND,
          "could not delete HKCU\\Software\\Vantrel, error " + std::to_string(status));
}

Process::Process(const LaunchOptions& options, Remembered remembered) {
    if (remembered == Remembered::Cleared)
        clearRememberedFrame();
    say("start=" + narrow(support::commandLineOf(options)));
    for (const auto& [name, value] : options.environment)
        say("environment=" + narrow(name) + "=" + narrow(value));
    support::Launched launched = startProcess(options);
    process_ = std::move(launched.process);
    pid_ = launched.pid;
    sayKey("pid", pid_);
    WaitForInputIdle(process_.get(), 5000);
}

Process::~Process() {
    if (running())
        closeProperly();
}

bool Process::running() const {
    return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool Process::waitExit(DWORD ms) const {
    return WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0;
}

DWORD Process::exitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

ULONGLONG Process::exitTime() const {
    FILETIME created, exited, kernel, user;
    if (running() || !GetProcessTimes(process_.get(), &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(exited.dwHighDateTime) << 32) | exited.dwLowDateTime;
}

bool Process::closeProperly() {
    if (!running())
        return true;
    // Modal dialogs (the About box, even a hidden one) first, so that the frame is not closed under their
    // modal loop; then the unowned windows, the frame.
    std::vector<HWND> modal;
    for (HWND w : topLevelWindows(pid_, L"#32770", false)) {
        HWND owner = GetWindow(w, GW_OWNER);
        if (windowText(w) == kAboutCaption || (owner && !IsWindowEnabled(owner) && IsWindowVisible(w)))
            modal.push_back(w);
    }
    for (HWND w : modal)
        PostMessageW(w, WM_CLOSE, 0, 0);
    if (!modal.empty())
        waitFor([&] { return std::none_of(modal.begin(), modal.end(), IsWindow); }, 3000);
    for (HWND w : topLevelWindows(pid_, nullptr))
        if (!GetWindow(w, GW_OWNER))
            PostMessageW(w, WM_CLOSE, 0, 0);
    // Holding a picture that was neither saved nor copied, vantrel asks first: the answer is Yes.
    HWND question = nullptr;
    const bool ended = waitFor(
        [&] {
            if (!question && (question = exitQuestion(pid_))) {
                say("exit_question=answered Yes");
                PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
            }
            return !running();
        },
        8000, 50);
    if (ended)
        return true;
    screenshotOnFailure();
    std::string windows = describeWindows(pid_);
    TerminateProcess(process_.get(), 99);
    waitExit(3000);
    noteCleanupFailure(
        "vantrel pid " + std::to_string(pid_) +
        " was still running 8 s after WM_CLOSE to its windows; terminated it; its windows:" + windows);
    return false;
}

HelperResult runHelper(const std::wstring& arguments, DWORD ms) {
    Pipe pipe = Pipe::create(true);
    LaunchOptions options;
    options.exe = support::modulePath();
    options.arguments = arguments;
    options.stdOut = pipe.write.get();
    support::Launched child = startProcess(options);
    pipe.write.reset();
    PipeReader reader(pipe.read.get());
    HelperResult result;
    result.finished = waitFor(
        [&] {
            reader.poll();
            return WaitForSingleObject(child.process.get(), 0) == WAIT_OBJECT_0;
        },
        ms, 10);
    if (!result.finished) {
        TerminateProcess(child.process.get(), 98);
        WaitForSingleObject(child.process.get(), 2000);
    }
    reader.readToEof(2000);
    GetExitCodeProcess(child.process.get(), &result.exitCode);
    result.output = reader.data();
    return result;
}

std::vector<std::pair<std::string, std::string>> parseLines(const std::string& output) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t pos = 0;
    while (pos < output.size()) {
        size_t end = output.find('\n', pos);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        pos = end + 1;
    }
    return out;
}

long long unixAnonymousKb(const std::string& exeName) {
    const std::string wantedPrefix = "WINEPREFIX=" + narrow(support::environmentVariable(L"WINEPREFIX"));
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    long long result = -1;
    do {
        if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9')
            continue;
        const std::wstring dir = std::wstring(L"Z:\\proc\\") + fd.cFileName + L"\\";
        std::string cmdline = readFile(dir + L"cmdline");
        if (cmdline.find(exeName) == std::string::npos)
            continue;
        const std::string env = std::string(1, '\0') + readFile(dir + L"environ");
        if (env.find(std::string(1, '\0') + wantedPrefix + std::string(1, '\0')) == std::string::npos)
            continue;
        std::string status = readFile(dir + L"status");
        size_t line = status.find("RssAnon:");
        if (line != std::string::npos)
            result = std::atoll(status.c_str() + line + 8);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return result;
}

} // namespace e2e
