// The common part of every planted DLL (see planted.h): the log, the check of who loaded it or called
// it, and the passing on of each call to the system's own library of the same name.
#include "tests/e2e/planted_dll/planted.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <cstdint>
#include <string>

namespace {

HMODULE g_self = nullptr;
std::atomic<bool> g_noted[4096];

// The process's executable: the program whose own loads and calls count.
bool InProgram(const void* address) {
    static const auto range = [] {
        const auto base = reinterpret_cast<std::uintptr_t>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        return std::pair<std::uintptr_t, std::uintptr_t>(base, base + nt->OptionalHeader.SizeOfImage);
    }();
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    return at >= range.first && at < range.second;
}

void Log(const std::string& line) {
    // Beside the DLL, named after the library as it lies there (the loader may hold another spelling).
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(g_self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::wstring log(path, length);
    log = log.substr(0, log.find_last_of(L"\\/") + 1) + planted::kLibraryName + planted::kLogSuffix;
    HANDLE file =
        ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

// The system's library of this name, by its full path in the system folder (a bare name would find this
// copy again); null when it cannot be had.
HMODULE SystemLibrary() {
    static const HMODULE module = [] {
        wchar_t folder[MAX_PATH];
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        HMODULE found = nullptr;
        if (length > 0 && length < MAX_PATH)
            found = ::LoadLibraryW((std::wstring(folder, length) + L"\\" + planted::kLibraryName).c_str());
        if (!found || found == g_self) {
            Log("no system library");
            return static_cast<HMODULE>(nullptr);
        }
        return found;
    }();
    return module;
}

// What a call of a function the system's library lacks gets.
extern "C" std::intptr_t planted_missing() {
    return 0;
}

std::atomic<void*> g_functions[4096];

} // namespace

// Called by every thunk with its number and the address its caller returns to: notes a call by the
// program once per function and gives the system's function to jump to.
extern "C" void* planted_resolve(unsigned index, const void* returnAddress) {
    if (index >= planted::kExportCount || index >= 4096)
        return reinterpret_cast<void*>(&planted_missing);
    const planted::Export& e = planted::kExports[index];
    if (InProgram(returnAddress) && !g_noted[index].exchange(true))
        Log(std::string("called ") + (e.name ? e.name : "#" + std::to_string(e.ordinal)) + " " +
            planted::kByProgram);
    void* fn = g_functions[index].load();
    if (!fn) {
        HMODULE system = SystemLibrary();
        fn = system
                 ? reinterpret_cast<void*>(::GetProcAddress(
                       system, e.name ? e.name : reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(e.ordinal))))
                 : nullptr;
        if (!fn)
            fn = reinterpret_cast<void*>(&planted_missing);
        g_functions[index].store(fn);
    }
    return fn;
}

// The part every thunk jumps to, with its number in eax: the four register arguments (integer and
// floating point) are kept while planted_resolve runs, then the call goes on to the system's function with
// the stack as the caller left it.
asm(R"(
.text
.globl planted_common
planted_common:
    pushq %rcx
    pushq %rdx
    pushq %r8
    pushq %r9
    subq $0x68, %rsp
    movdqu %xmm0, 0x20(%rsp)
    movdqu %xmm1, 0x30(%rsp)
    movdqu %xmm2, 0x40(%rsp)
    movdqu %xmm3, 0x50(%rsp)
    movl %eax, %ecx
    movq 0x88(%rsp), %rdx
    call planted_resolve
    movdqu 0x20(%rsp), %xmm0
    movdqu 0x30(%rsp), %xmm1
    movdqu 0x40(%rsp), %xmm2
    movdqu 0x50(%rsp), %xmm3
    addq $0x68, %rsp
    popq %r9
    popq %r8
    popq %rdx
    popq %rcx
    jmp *%rax
)");

// The module a code address lies in; null for none.
HMODULE ModuleAt(const void* address) {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(address), &module);
    return module;
}

std::string ModuleName(HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name(path, length < MAX_PATH ? length : 0);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return std::string(name.begin(), name.end()); // system library names are ASCII
}

// Notes the load and who asked for it: the first module on the stack above the loader's own (this DLL,
// ntdll, kernelbase, kernel32). The program counts only where its own code called the loader, not where it
// called a library that loads this one by name (Wine's user32 and comctl32 load uxtheme so).
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    g_self = self;
    ::DisableThreadLibraryCalls(self);
    const HMODULE loader[] = {self, ::GetModuleHandleW(L"ntdll.dll"), ::GetModuleHandleW(L"kernelbase.dll"),
                              ::GetModuleHandleW(L"kernel32.dll")};
    void* frames[62] = {};
    const USHORT count = ::RtlCaptureStackBackTrace(0, 62, frames, nullptr);
    // The walk is read up to its first empty frame: below the loader's own frames of the process's start
    // it finds the program's entry point, where no code of the program runs yet.
    std::string asker;
    for (USHORT i = 0; i < count && frames[i] && asker.empty(); ++i) {
        const HMODULE module = ModuleAt(frames[i]);
        if (std::find(std::begin(loader), std::end(loader), module) != std::end(loader))
            continue;
        asker = InProgram(frames[i]) ? planted::kByProgram : "by " + ModuleName(module);
    }
    Log(std::string(planted::kLoadedLine) + (asker.empty() ? "" : " " + asker));
    return TRUE;
}
