#include "tests/e2e/files.h"

#include "tests/e2e/report.h"
#include "tests/e2e/unix_tools.h"
#include "platform/unique_handle.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include <windows.h>

#include <algorithm>

namespace e2e {

using support::joinPath;
using support::narrow;
using support::tempFolder;
using support::widen;

std::wstring vantrelPath() {
    return joinPath(support::moduleFolder(), L"vantrel.exe");
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
    const std::wstring base = tempFolder();
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

namespace {
// Removes a folder with everything in it.
void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(joinPath(folder, L"*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName, path = joinPath(folder, name);
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(path.c_str());
            else if (name != L"." && name != L"..")
                removeTree(path);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}
} // namespace

TempDir::~TempDir() {
    removeTree(path_);
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    platform::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    check(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size(),
          "could not write " + narrow(path));
}

std::string readFile(const std::wstring& path) {
    platform::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file)
        return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got)
        bytes.append(buf, got);
    return bytes;
}

std::vector<std::wstring> filesIn(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(joinPath(dir, L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring listText(const std::vector<std::wstring>& items) {
    std::wstring out;
    for (const std::wstring& item : items)
        out += (out.empty() ? L"" : L" | ") + item;
    return out;
}

void expectFiles(const std::wstring& dir, std::vector<std::wstring> names, const std::string& when) {
    std::sort(names.begin(), names.end());
    expectEq(when + ": files in " + narrow(dir), listText(names), listText(filesIn(dir)));
}

void expectUnchanged(const std::wstring& path, const std::string& bytes, const std::string& when) {
    const std::string now = readFile(path);
    if (now != bytes)
        fail(when + ": " + narrow(path) + " changed: it held " + quotedBytes(bytes) + ", now " +
             std::to_string(now.size()) + " bytes starting " + quotedBytes(now.substr(0, 16)));
}

ImmutableFolder::ImmutableFolder(std::wstring path,
                                 const std::vector<std::pair<std::wstring, std::string>>& files)
    : path_(std::move(path)) {
    check(CreateDirectoryW(path_.c_str(), nullptr), "could not create " + narrow(path_));
    for (const auto& [name, bytes] : files)
        writeFile(joinPath(path_, name), bytes);
    UnixResult r = runUnix("/usr/bin/chattr +i " + shellQuoted(unixPath(path_)));
    if (r.exitCode != 0)
        skip("chattr +i failed here (" + quotedBytes(r.err) + "): no folder that refuses root's writes");
    immutable_ = true;
    platform::UniqueFile probe(CreateFileW(joinPath(path_, L"probe").c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (probe)
        skip("a file could still be created in the immutable folder " + narrow(path_));
}

ImmutableFolder::~ImmutableFolder() {
    try {
        if (immutable_ && runUnix("/usr/bin/chattr -i " + shellQuoted(unixPath(path_))).exitCode != 0)
            noteCleanupFailure("chattr -i failed on " + narrow(path_));
    } catch (const std::exception& e) {
        noteCleanupFailure(std::string("chattr -i: ") + e.what());
    }
    for (const std::wstring& name : filesIn(path_))
        DeleteFileW(joinPath(path_, name).c_str());
    if (!RemoveDirectoryW(path_.c_str()))
        noteCleanupFailure("could not remove " + narrow(path_));
}

} // namespace e2e
