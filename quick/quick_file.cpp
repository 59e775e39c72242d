#include "quick/quick_file.h"

#include "platform/path_text.h"
#include "platform/unique_any.h"

namespace quick {

namespace {

// A name taken between the look at the folder and the write (another program, another shot of ours) is
// left alone and the next one tried, this many times.
constexpr int kNameAttempts = 5;

void CloseFind(HANDLE h) noexcept {
    ::FindClose(h);
}
struct InvalidFindIsEmpty {
    static HANDLE Value() noexcept { return INVALID_HANDLE_VALUE; }
};
using UniqueFind = platform::UniqueAny<HANDLE, CloseFind, InvalidFindIsEmpty>;

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        return folder + name;
    return folder + L"\\" + name;
}

// The full path as the file calls take it at any length.
std::wstring ForFileCalls(const std::wstring& path) {
    std::wstring full(path.size() + 1, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return path;
        if (length < full.size()) {
            full.resize(length);
            return platform::PathForFileCalls(full);
        }
        full.resize(length);
    }
}

// The names of everything in the folder (files and folders alike: either takes a name); none when it does
// not exist.
std::vector<std::wstring> NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const UniqueFind find(::FindFirstFileExW(ForFileCalls(Joined(folder, L"*")).c_str(), FindExInfoBasic,
                                             &found, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return names;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            names.emplace_back(name);
    } while (::FindNextFileW(find.get(), &found));
    return names;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Makes the folder and the parents it lacks; true when it is there as a folder.
bool MakeFolder(const std::wstring& folder, int depth = 0) {
    const std::wstring path = ForFileCalls(folder);
    if (IsFolder(path))
        return true;
    if (::CreateDirectoryW(path.c_str(), nullptr))
        return true;
    if (::GetLastError() != ERROR_PATH_NOT_FOUND || depth > 256)
        return IsFolder(path); // made meanwhile by someone else, or it cannot be made
    const std::size_t slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0)
        return false;
    return MakeFolder(folder.substr(0, slash), depth + 1) &&
           (::CreateDirectoryW(path.c_str(), nullptr) || IsFolder(path));
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(ForFileCalls(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

ShotTime LocalNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return ShotTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::wstring NextQuickName(const std::wstring& folder, const std::wstring& pattern) {
    if (CheckPattern(pattern) != PatternProblem::None)
        return {};
    return NextName(pattern, NamesIn(folder), LocalNow());
}

QuickFile WriteQuickShot(HBITMAP picture, const std::wstring& folder, const std::wstring& pattern) {
    QuickFile file;
    if (CheckPattern(pattern) != PatternProblem::None || !MakeFolder(folder))
        return file;
    const ShotTime now = LocalNow();
    std::vector<std::wstring> taken = NamesIn(folder);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::wstring name = NextName(pattern, taken, now);
        const std::wstring path = Joined(folder, name);
        file.outcome = panel::SavePictureFile(picture, path, panel::Existing::Keep);
        if (file.outcome == panel::SaveOutcome::Saved) {
            file.path = path;
            return file;
        }
        // Only a name that was taken meanwhile is worth another try.
        if (file.outcome != panel::SaveOutcome::Failed || !Exists(path))
            return file;
        taken.push_back(name);
    }
    return file;
}

} // namespace quick
