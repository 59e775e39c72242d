#include "tests/support/launch.h"

#include <cwchar>

namespace support {

namespace {

using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

// This process's environment block with the given variables set (replacing its values of them), for
// CREATE_UNICODE_ENVIRONMENT.
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

} // namespace

std::wstring commandLineOf(const LaunchOptions& options) {
    if (options.rawCommandLine)
        return options.arguments;
    return L"\"" + options.exe + L"\"" + (options.arguments.empty() ? L"" : L" " + options.arguments);
}

Launched launch(const LaunchOptions& options) {
    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si;
    DWORD flags = DETACHED_PROCESS;
    std::vector<char> attrStorage;
    LPPROC_THREAD_ATTRIBUTE_LIST attrs = nullptr;
    HANDLE inherit[1] = {options.stdOut};
    if (options.stdOut) {
        si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
        si.StartupInfo.hStdOutput = options.stdOut;
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
    if (!options.environment.empty()) {
        block = environmentBlock(options.environment);
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }
    std::wstring commandLine = commandLineOf(options);
    PROCESS_INFORMATION pi{};
    Launched result;
    result.started =
        CreateProcessW(options.exe.c_str(), commandLine.data(), nullptr, nullptr,
                       options.stdOut ? TRUE : FALSE, flags, block.empty() ? nullptr : block.data(),
                       options.folder.empty() ? nullptr : options.folder.c_str(), &si.StartupInfo,
                       &pi) != FALSE;
    result.error = result.started ? 0 : GetLastError();
    if (attrs)
        DeleteProcThreadAttributeList(attrs);
    if (!result.started)
        return result;
    if (pi.hThread)
        CloseHandle(pi.hThread);
    result.process.reset(pi.hProcess);
    result.pid = pi.dwProcessId;
    return result;
}

bool closeOrTerminate(HANDLE process, HWND window, DWORD ms) {
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, window ? ms : 0) == WAIT_OBJECT_0)
        return true;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, ms);
    return false;
}

} // namespace support
