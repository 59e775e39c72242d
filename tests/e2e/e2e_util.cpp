#include "e2e_util.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace e2e {

namespace {
std::vector<Case>& caseList() {
    static std::vector<Case> cases;
    return cases;
}
} // namespace

const std::vector<Case>& registeredCases() {
    return caseList();
}

RegisterCase::RegisterCase(const char* name, void (*run)()) {
    caseList().push_back({name, run});
}

// ---------------------------------------------------------------- text and reporting

std::string narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring widen(const std::string& text) {
    if (text.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string quotedBytes(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        char buf[8];
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                snprintf(buf, sizeof buf, "\\x%02x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string quoted(const std::wstring& text) {
    return quotedBytes(narrow(text));
}

namespace {
HANDLE g_out = nullptr;
bool g_outIsConsole = false;
std::string g_case;
bool g_shotTaken = false;
std::vector<std::string> g_cleanupFailures;
} // namespace

void initOutput() {
    if (g_out)
        return;
    g_out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    g_outIsConsole = g_out && g_out != INVALID_HANDLE_VALUE && GetConsoleMode(g_out, &mode);
}

void say(const std::string& line) {
    initOutput();
    if (!g_out || g_out == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\n";
    DWORD written = 0;
    if (g_outIsConsole) {
        std::wstring w = widen(text);
        WriteConsoleW(g_out, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
    } else {
        WriteFile(g_out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

void sayKey(const char* key, const std::string& value) {
    say(std::string(key) + "=" + value);
}
void sayKey(const char* key, const std::wstring& value) {
    say(std::string(key) + "=" + narrow(value));
}

void setCurrentCase(const std::string& name) {
    initOutput();
    g_case = name;
    g_shotTaken = false;
    g_cleanupFailures.clear();
}

void screenshotOnFailure() {
    if (g_shotTaken)
        return;
    g_shotTaken = true;
    wchar_t dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"VANTREL_SHOT_DIR", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    std::wstring folder = toWindowsPath(dir);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring file = joinPath(folder, widen(g_case.empty() ? "e2e" : g_case) + L".bmp");
    bool ok = saveScreenBmp(file);
    sayKey("failure_screenshot", ok ? narrow(file) : "could not be written: " + narrow(file));
}

void fail(const std::string& reason) {
    screenshotOnFailure();
    throw CaseFailure(reason);
}

void skip(const std::string& reason) {
    throw CaseSkipped(reason);
}

void check(bool ok, const std::string& reason) {
    if (!ok)
        fail(reason);
}

void expectEq(const std::string& what, const std::wstring& expected, const std::wstring& actual) {
    if (expected != actual)
        fail(what + ": expected " + quoted(expected) + " got " + quoted(actual));
}

void expectEq(const std::string& what, long long expected, long long actual) {
    if (expected != actual)
        fail(what + ": expected " + std::to_string(expected) + " got " + std::to_string(actual));
}

void expectNear(const std::string& what, long long expected, long long actual, long long tolerance) {
    if (actual < expected - tolerance || actual > expected + tolerance)
        fail(what + ": expected " + std::to_string(expected) + " (+-" + std::to_string(tolerance) + ") got " +
             std::to_string(actual));
}

void noteCleanupFailure(const std::string& reason) {
    say("cleanup_problem=" + reason);
    g_cleanupFailures.push_back(reason);
}

std::vector<std::string> takeCleanupFailures() {
    std::vector<std::string> out;
    out.swap(g_cleanupFailures);
    return out;
}

std::string hex(const void* pointer) {
    char buf[32];
    snprintf(buf, sizeof buf, "0x%llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
    return buf;
}

std::string rectText(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) +
           "," + std::to_string(r.bottom) + ") " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// ---------------------------------------------------------------- handles and time

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

HANDLE Handle::release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
}

void Handle::reset(HANDLE h) {
    if (h_)
        CloseHandle(h_);
    h_ = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
}

Stopwatch::Stopwatch() {
    QueryPerformanceCounter(&start_);
}

double Stopwatch::seconds() const {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(freq.QuadPart);
}

// ---------------------------------------------------------------- files

std::wstring driverDir() {
    wchar_t path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : p.substr(0, slash);
}

std::wstring vantrelPath() {
    return joinPath(driverDir(), L"vantrel.exe");
}

std::wstring joinPath(const std::wstring& dir, const std::wstring& name) {
    if (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/'))
        return dir + name;
    return dir + L"\\" + name;
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring toWindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/')
        return path;
    // Only Wine has this export; it maps a Unix path to the drive that reaches it.
    using ToDos = WCHAR* (*)(LPCSTR);
    HMODULE k32 = GetModuleHandleW(L"kernel32.dll");
    auto toDos =
        reinterpret_cast<ToDos>(reinterpret_cast<void*>(GetProcAddress(k32, "wine_get_dos_file_name")));
    if (!toDos)
        return path;
    WCHAR* dos = toDos(narrow(path).c_str());
    if (!dos)
        return path;
    std::wstring out = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return out;
}

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate =
            joinPath(base, L"vantrel_e2e_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                               std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(serial++));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    fail("could not create a temporary folder under " + narrow(base));
}

TempDir::~TempDir() {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(joinPath(path_, L"*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(joinPath(path_, fd.cFileName).c_str());
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(path_.c_str());
}

RenamedFile::RenamedFile(std::wstring from, std::wstring to) : from_(std::move(from)), to_(std::move(to)) {
    if (!MoveFileW(from_.c_str(), to_.c_str()))
        fail("MoveFileW " + narrow(from_) + " -> " + narrow(to_) + " failed, error " +
             std::to_string(GetLastError()));
    moved_ = true;
    say("renamed=" + narrow(from_) + " -> " + narrow(to_));
}

RenamedFile::~RenamedFile() {
    if (moved_ && !MoveFileW(to_.c_str(), from_.c_str()))
        noteCleanupFailure("could not rename " + narrow(to_) + " back, error " +
                           std::to_string(GetLastError()));
}

void RenamedFile::restore() {
    if (!moved_)
        return;
    if (!MoveFileW(to_.c_str(), from_.c_str()))
        fail("MoveFileW back " + narrow(to_) + " -> " + narrow(from_) + " failed, error " +
             std::to_string(GetLastError()));
    moved_ = false;
    say("restored=" + narrow(from_));
}

// ---------------------------------------------------------------- processes

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

using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

// The driver's environment block with the given variables set (replacing the driver's values of them),
// for CREATE_UNICODE_ENVIRONMENT.
std::vector<wchar_t> environmentBlock(const Environment& changes) {
    std::vector<wchar_t> block;
    if (wchar_t* own = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = own; *entry; entry += wcslen(entry) + 1) {
            const std::wstring text = entry;
            const size_t eq = text.find(L'=', 1); // entries such as "=C:=C:\" start with '='
            const std::wstring name = text.substr(0, eq);
            bool replaced = false;
            for (const auto& change : changes)
                replaced = replaced || _wcsicmp(change.first.c_str(), name.c_str()) == 0;
            if (!replaced)
                block.insert(block.end(), text.c_str(), text.c_str() + text.size() + 1);
        }
        FreeEnvironmentStringsW(own);
    }
    for (const auto& [name, value] : changes) {
        const std::wstring text = name + L"=" + value;
        block.insert(block.end(), text.c_str(), text.c_str() + text.size() + 1);
    }
    block.push_back(L'\0');
    return block;
}

Handle tryStartProcess(const std::wstring& appName, std::wstring commandLine, HANDLE stdOut, DWORD* pid,
                       DWORD* error, const Environment& environment = {}) {
    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si;
    DWORD flags = DETACHED_PROCESS; // never share the driver's console, if it has one
    std::vector<char> attrStorage;
    LPPROC_THREAD_ATTRIBUTE_LIST attrs = nullptr;
    HANDLE inherit[1] = {stdOut};
    if (stdOut) {
        si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
        si.StartupInfo.hStdOutput = stdOut;
        si.StartupInfo.hStdInput = nullptr;
        si.StartupInfo.hStdError = nullptr;
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        attrStorage.resize(size);
        attrs = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attrStorage.data());
        if (InitializeProcThreadAttributeList(attrs, 1, 0, &size) &&
            UpdateProcThreadAttribute(attrs, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherit, sizeof inherit,
                                      nullptr, nullptr)) {
            si.lpAttributeList = attrs;
            flags |= EXTENDED_STARTUPINFO_PRESENT;
        } else {
            attrs = nullptr;
        }
    }
    std::vector<wchar_t> block;
    if (!environment.empty()) {
        block = environmentBlock(environment);
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessW(appName.c_str(), commandLine.data(), nullptr, nullptr, stdOut ? TRUE : FALSE,
                             flags, block.empty() ? nullptr : block.data(), nullptr, &si.StartupInfo, &pi);
    *error = GetLastError();
    if (attrs)
        DeleteProcThreadAttributeList(attrs);
    if (!ok)
        return Handle();
    CloseHandle(pi.hThread);
    *pid = pi.dwProcessId;
    return Handle(pi.hProcess);
}

// Creates a process that inherits exactly one handle (its standard output) or none. Creation is tried up to
// three times: Wine has been seen to fail one with ERROR_INTERNAL_ERROR (1359) while many short-lived
// processes came and went.
Handle startProcess(const std::wstring& appName, const std::wstring& commandLine, HANDLE stdOut, DWORD* pid,
                    const Environment& environment = {}) {
    DWORD error = 0;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        Handle h = tryStartProcess(appName, commandLine, stdOut, pid, &error, environment);
        if (h)
            return h;
        say("create_process_error=" + std::to_string(error) + " attempt=" + std::to_string(attempt));
        Sleep(300);
    }
    fail("CreateProcessW(" + narrow(appName) + ", " + quoted(commandLine) + ") failed, error " +
         std::to_string(error));
}

std::wstring quotePath(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

} // namespace

Process::Process(const LaunchOptions& options) {
    std::wstring cmd =
        options.rawCommandLine
            ? options.arguments
            : quotePath(options.exe) + (options.arguments.empty() ? L"" : L" " + options.arguments);
    say("start=" + narrow(cmd));
    for (const auto& [name, value] : options.environment)
        say("environment=" + narrow(name) + "=" + narrow(value));
    process_ = startProcess(options.exe, cmd, options.stdOut, &pid_, options.environment);
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
    if (waitExit(8000))
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
    wchar_t self[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring exe(self, n);
    Pipe pipe = Pipe::create(true);
    DWORD pid = 0;
    Handle child = startProcess(exe, quotePath(exe) + L" " + arguments, pipe.write.get(), &pid);
    pipe.write.reset();
    PipeReader reader(pipe.read.get());
    HelperResult result;
    result.finished = waitFor(
        [&] {
            reader.poll();
            return WaitForSingleObject(child.get(), 0) == WAIT_OBJECT_0;
        },
        ms, 10);
    if (!result.finished) {
        TerminateProcess(child.get(), 98);
        WaitForSingleObject(child.get(), 2000);
    }
    reader.readToEof(2000);
    GetExitCodeProcess(child.get(), &result.exitCode);
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

namespace {
std::string readUnixFile(const std::wstring& path) {
    std::string data;
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    if (!file)
        return data;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0)
        data.append(buf, got);
    return data;
}
} // namespace

long long unixAnonymousKb(const std::string& exeName) {
    wchar_t prefixBuf[1024] = L"";
    GetEnvironmentVariableW(L"WINEPREFIX", prefixBuf, 1024);
    const std::string wantedPrefix = "WINEPREFIX=" + narrow(prefixBuf);
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    long long result = -1;
    do {
        if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9')
            continue;
        const std::wstring dir = std::wstring(L"Z:\\proc\\") + fd.cFileName + L"\\";
        std::string cmdline = readUnixFile(dir + L"cmdline");
        if (cmdline.find(exeName) == std::string::npos)
            continue;
        const std::string env = std::string(1, '\0') + readUnixFile(dir + L"environ");
        if (env.find(std::string(1, '\0') + wantedPrefix + std::string(1, '\0')) == std::string::npos)
            continue;
        std::string status = readUnixFile(dir + L"status");
        size_t line = status.find("RssAnon:");
        if (line != std::string::npos)
            result = std::atoll(status.c_str() + line + 8);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return result;
}

// ---------------------------------------------------------------- windows

const wchar_t* const kAboutCaption = L"バージョン情報 Vantrel";

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

// ---------------------------------------------------------------- console of another process

ConsoleView readConsole(DWORD pid) {
    ConsoleView view;
    HelperResult r = runHelper(L"--read-console " + std::to_wstring(pid));
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

std::vector<HWND> consoleWindows() {
    std::vector<HWND> out;
    EnumQuery q{0, L"WineConsoleClass", true, &out};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&q));
    return out;
}

// ---------------------------------------------------------------- screen

BITMAPINFO topDownInfo(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

Pixels captureScreen(const RECT& area) {
    Pixels px;
    px.width = area.right - area.left;
    px.height = area.bottom - area.top;
    if (px.width <= 0 || px.height <= 0)
        return px;
    BITMAPINFO bi = topDownInfo(px.width, px.height);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, px.width, px.height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const uint32_t* src = static_cast<const uint32_t*>(bits);
        px.rgb.assign(src, src + static_cast<size_t>(px.width) * px.height);
        for (auto& p : px.rgb)
            p &= 0xFFFFFF;
        SelectObject(mem, old);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return px;
}

bool saveScreenBmp(const std::wstring& path) {
    RECT all{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    all.right = all.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    all.bottom = all.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    Pixels px = captureScreen(all);
    if (px.rgb.empty())
        return false;
    const DWORD rowBytes = (static_cast<DWORD>(px.width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(px.height);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42; // "BM"
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + imageBytes;
    ih.biSize = sizeof ih;
    ih.biWidth = px.width;
    ih.biHeight = px.height; // bottom row first, as most readers expect
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = imageBytes;
    std::vector<unsigned char> image(imageBytes, 0);
    for (int y = 0; y < px.height; ++y) {
        unsigned char* row = image.data() + static_cast<size_t>(px.height - 1 - y) * rowBytes;
        for (int x = 0; x < px.width; ++x) {
            uint32_t c = px.at(x, y);
            row[x * 3 + 0] = static_cast<unsigned char>(c & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((c >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>((c >> 16) & 0xFF);
        }
    }
    Handle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file.get(), &fh, sizeof fh, &written, nullptr) &&
              WriteFile(file.get(), &ih, sizeof ih, &written, nullptr) &&
              WriteFile(file.get(), image.data(), imageBytes, &written, nullptr) && written == imageBytes;
    return ok;
}

std::string colourText(uint32_t rgb) {
    char buf[32];
    snprintf(buf, sizeof buf, "RGB(%u,%u,%u)", (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return buf;
}

uint32_t patternColour(int x, int y, int variant) {
    if (variant == 1) {
        if ((x + 2 * y) % 9 == 0)
            return 0x010000; // the frame's key colour
        uint32_t r = static_cast<uint32_t>(x * 3 + y) & 0xFF, g = static_cast<uint32_t>(y * 11) & 0xFF;
        uint32_t b = (static_cast<uint32_t>(x * 13) & 0xFF) | 0x40;
        return (r << 16) | (g << 8) | b;
    }
    if (variant == 2)
        return ~patternColour(x, y, 0) & 0xFFFFFF;
    uint32_t r = static_cast<uint32_t>(x * 7) & 0xFF;
    uint32_t g = static_cast<uint32_t>(y * 5) & 0xFF;
    uint32_t b = static_cast<uint32_t>(x ^ y) & 0xFF;
    if (r == 1 && g == 0 && b == 0)
        b = 2; // never the frame's key colour
    return (r << 16) | (g << 8) | b;
}

namespace {
const wchar_t kPatternClass[] = L"VantrelE2EPattern";

LRESULT CALLBACK patternProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        BITMAPINFO bi = topDownInfo(rc.right, rc.bottom);
        std::vector<uint32_t> bits(static_cast<size_t>(rc.right) * rc.bottom);
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x)
                bits[static_cast<size_t>(y) * rc.right + x] =
                    patternColour(x, y, static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        SetDIBitsToDevice(dc, 0, 0, rc.right, rc.bottom, 0, 0, 0, rc.bottom, bits.data(), &bi,
                          DIB_RGB_COLORS);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
} // namespace

PatternWindow::PatternWindow(const RECT& screenRect, int variant) : rect_(screenRect), variant_(variant) {
    Handle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE readyEvent = ready.get();
    thread_ = std::thread([this, readyEvent] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = patternProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kPatternClass;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassW(&wc); // fails harmlessly when a previous window registered it
        HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kPatternClass, L"vantrel e2e pattern",
                                 WS_POPUP | WS_SYSMENU, rect_.left, rect_.top, rect_.right - rect_.left,
                                 rect_.bottom - rect_.top, nullptr, nullptr, wc.hInstance, nullptr);
        threadId_ = GetCurrentThreadId();
        hwnd_ = w;
        if (w)
            SetWindowLongPtrW(w, GWLP_USERDATA, variant_);
        if (w) {
            ShowWindow(w, SW_SHOWNOACTIVATE);
            UpdateWindow(w);
        }
        SetEvent(readyEvent);
        if (!w)
            return;
        MSG m;
        while (GetMessageW(&m, nullptr, 0, 0) > 0) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    });
    WaitForSingleObject(readyEvent, 10000);
    if (!hwnd_) {
        thread_.join();
        fail("could not create the pattern window");
    }
    sayKey("pattern_window", hex(hwnd_) + " " + rectText(rect_));
}

void PatternWindow::setVariant(int variant) {
    variant_ = variant;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, variant);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sleep(100); // let the X server show the new pixels
}

PatternWindow::~PatternWindow() {
    if (hwnd_)
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    else if (threadId_)
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    if (thread_.joinable())
        thread_.join();
}

// ---------------------------------------------------------------- input

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

// ---------------------------------------------------------------- native Linux tools

std::string unixPath(const std::wstring& windowsPath) {
    using ToUnix = char* (*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        skip("not running under Wine (no wine_get_unix_file_name): there are no native tools to run");
    char* unix = toUnix(windowsPath.c_str());
    check(unix != nullptr, "no Unix path for " + narrow(windowsPath));
    std::string out = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    Handle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    check(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size(),
          "could not write " + narrow(path));
}

std::string readFile(const std::wstring& path) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file)
        return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got)
        bytes.append(buf, got);
    return bytes;
}

UnixResult runUnix(const std::string& command, int seconds) {
    TempDir dir;
    const std::string where = unixPath(dir.path());
    writeFile(joinPath(dir.path(), L"cmd.sh"), command + "\n");
    // The job lets go of the driver's own output (ctest's pipe) first, so that nothing it leaves running
    // can hold that open.
    writeFile(joinPath(dir.path(), L"job.sh"), "exec </dev/null >/dev/null 2>&1\n"
                                               "cd '" +
                                                   where +
                                                   "' || exit 1\n"
                                                   "timeout -k 1 " +
                                                   std::to_string(seconds) +
                                                   " /bin/sh ./cmd.sh >out 2>err\n"
                                                   "echo $? >rc.tmp\n"
                                                   "mv rc.tmp rc\n");
    static const std::wstring shell = toWindowsPath(L"/bin/sh");
    std::wstring commandLine = L"sh \"" + widen(where) + L"/job.sh\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(shell.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &si, &pi))
        fail("CreateProcessW(" + narrow(shell) + ") failed, error " + std::to_string(GetLastError()) +
             ": Wine did not start the Unix shell");
    // A Unix program comes back without handles; close any all the same.
    if (pi.hThread)
        CloseHandle(pi.hThread);
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    const std::wstring rc = joinPath(dir.path(), L"rc");
    check(waitFor([&] { return fileExists(rc); }, static_cast<DWORD>(seconds + 5) * 1000, 5),
          "the Unix command did not finish: " + command);
    UnixResult r;
    r.exitCode = std::atoi(readFile(rc).c_str());
    r.out = readFile(joinPath(dir.path(), L"out"));
    r.err = readFile(joinPath(dir.path(), L"err"));
    return r;
}

UnixResult runUnixOk(const std::string& command) {
    UnixResult r = runUnix(command);
    if (r.exitCode != 0)
        fail("`" + command + "` ended with " + std::to_string(r.exitCode) + "; stderr " + quotedBytes(r.err));
    return r;
}

// ---------------------------------------------------------------- vantrel's windows

App::App(const std::wstring& exe)
    : App([&] {
          LaunchOptions o;
          o.exe = exe;
          return o;
      }()) {}

App::App(const LaunchOptions& options) : process(options) {
    const std::wstring& exe = options.exe;
    const size_t slash = exe.find_last_of(L"\\/");
    caption_ = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    const size_t dot = caption_.rfind(L'.');
    if (dot != std::wstring::npos && dot != 0)
        caption_.erase(dot);
    frame = waitForFrame(process);
    waitFor([&] {
        for (HWND w : topLevelWindows(process.pid()))
            if (windowText(w) == L"Operation")
                panel = w;
        return panel != nullptr;
    });
    check(panel != nullptr, "the operation panel did not appear");
    check(GetWindow(panel, GW_OWNER) == frame, "the panel is not owned by the frame");
}

App::~App() {
    if (!process.closeProperly())
        noteCleanupFailure("vantrel did not end after WM_CLOSE to its windows");
}

HWND App::button(int id) const {
    HWND b = GetDlgItem(panel, id);
    check(b != nullptr, "the panel has no control " + std::to_string(id));
    return b;
}

void App::run(int id) const {
    check(sendMessageTimeout(panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(panel, id)), 15000),
          "command " + std::to_string(id) + " did not finish");
}

void App::post(int id) const {
    PostMessageW(button(id), BM_CLICK, 0, 0);
}

bool App::layered() const {
    return (GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

void App::moveFrame(int x, int y, int width, int height) const {
    check(SetWindowPos(frame, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE),
          "SetWindowPos on the frame failed");
}

void expectMessage(const App& app, const wchar_t* text, const std::string& when) {
    HWND box = nullptr;
    waitFor([&] {
        for (HWND w : topLevelWindows(app.process.pid()))
            if (w != app.frame && w != app.panel && GetDlgItem(w, 0xFFFF))
                box = w;
        return box != nullptr;
    });
    check(box != nullptr,
          when + ": no message box appeared; windows of vantrel:" + describeWindows(app.process.pid()));
    expectEq(when + ": message box caption", app.messageCaption(), windowText(box));
    expectEq(when + ": message text", std::wstring(text), windowText(GetDlgItem(box, 0xFFFF)));
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(box); }), when + ": the message box did not close with OK");
}

void expectNoMessage(const App& app, const std::string& when) {
    Sleep(300);
    for (HWND w : topLevelWindows(app.process.pid()))
        check(w == app.frame || w == app.panel,
              when + ": an unexpected window appeared: " + quoted(windowText(w)));
}

RECT patternArea(const App& app) {
    RECT f = windowRect(app.frame), p = windowRect(app.panel), both;
    UnionRect(&both, &f, &p);
    InflateRect(&both, 60, 60);
    return both;
}

void waitCaptured(const App& app) {
    check(waitFor([&] { return !app.layered() && IsWindowVisible(app.frame) && IsWindowVisible(app.panel); }),
          "the frame did not come back in the picture look");
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
