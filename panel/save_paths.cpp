#include "panel/save_paths.h"

#include <cstdint>

namespace panel {

namespace {
constexpr std::size_t kMaxNameLength = 255;
constexpr std::wstring_view kTemporaryStart = L"~";
constexpr std::wstring_view kTemporaryMark = L".vantrel-save";
constexpr std::wstring_view kTemporaryEnd = L".tmp";

bool IsHighSurrogate(wchar_t c) noexcept {
    return c >= 0xD800 && c <= 0xDBFF;
}

// Eight hexadecimal digits made from the name with its ASCII letters in one case, as the file system
// compares names (FNV-1a).
std::wstring NameNumber(std::wstring_view name) {
    std::uint32_t hash = 2166136261u;
    for (wchar_t c : name) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
    }
    std::wstring digits(8, L'0');
    for (int i = 7; i >= 0; --i, hash >>= 4)
        digits[static_cast<std::size_t>(i)] = L"0123456789abcdef"[hash & 0xF];
    return digits;
}
} // namespace

std::wstring TemporaryPathFor(std::wstring_view target, int attempt) {
    const std::size_t slash = target.find_last_of(L"\\/");
    const std::size_t nameStart = slash == std::wstring_view::npos ? 0 : slash + 1;
    const std::wstring_view name = target.substr(nameStart);
    std::wstring mark(kTemporaryMark);
    if (attempt > 0)
        mark += L"-" + std::to_wstring(attempt + 1);
    mark += kTemporaryEnd;
    std::wstring kept(name);
    const std::size_t room = kMaxNameLength - kTemporaryStart.size() - mark.size();
    if (name.size() > room) {
        const std::wstring number = L"~" + NameNumber(name);
        std::size_t keep = room - number.size();
        if (IsHighSurrogate(name[keep - 1]))
            --keep;
        kept = std::wstring(name.substr(0, keep)) + number;
    }
    std::wstring path(target.substr(0, nameStart));
    path += kTemporaryStart;
    path += kept;
    path += mark;
    return path;
}

TemporaryNameUse UseOfTemporaryName(const FoundEntry& found) noexcept {
    if (!found.exists)
        return TemporaryNameUse::Free;
    if (!found.directory && !found.reparse && found.hidden)
        return TemporaryNameUse::RemoveLeftover;
    return TemporaryNameUse::TryAnother;
}

PlacingNext AfterPlacingFailed(unsigned long error, bool targetExists, bool targetReadOnly,
                               unsigned elapsedMs) noexcept {
    switch (error) {
    case kErrorSharingViolation:
    case kErrorLockViolation:
    case kErrorUnableToRemoveReplaced:
    // The target appeared between the look and the move: it is replaced on the next try.
    case kErrorFileExists:
    case kErrorAlreadyExists: return elapsedMs < kBusyRetryMs ? PlacingNext::Retry : PlacingNext::Fail;
    // Without a backup name the system has removed the target by now and kept the written file under its
    // own name: it is moved to the target's name, or the user would have neither.
    case kErrorUnableToMoveReplacement:
    case kErrorUnableToMoveReplacement2: return targetExists ? PlacingNext::Fail : PlacingNext::MoveInstead;
    case kErrorAccessDenied: return targetReadOnly ? PlacingNext::ReadOnly : PlacingNext::Fail;
    }
    return PlacingNext::Fail;
}

} // namespace panel
