#include "panel/temporary_file.h"

#include "panel/save_paths.h"
#include "platform/late_bound.h"

#include <windows.h>

static_assert(panel::kErrorAccessDenied == ERROR_ACCESS_DENIED &&
              panel::kErrorSharingViolation == ERROR_SHARING_VIOLATION &&
              panel::kErrorLockViolation == ERROR_LOCK_VIOLATION &&
              panel::kErrorFileExists == ERROR_FILE_EXISTS &&
              panel::kErrorAlreadyExists == ERROR_ALREADY_EXISTS &&
              panel::kErrorUnableToRemoveReplaced == ERROR_UNABLE_TO_REMOVE_REPLACED &&
              panel::kErrorUnableToMoveReplacement == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
              panel::kErrorUnableToMoveReplacement2 == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);

namespace panel {

namespace {

FoundEntry Look(const std::wstring& path) {
    FoundEntry found;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return found;
    found.exists = true;
    found.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    found.hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    found.reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return found;
}

// Wine's ReplaceFileW works in buffers of MAX_PATH characters and cannot replace a target of a longer path;
// there the written file is moved over the target, as the one call would do it on Windows.
bool ReplacesByMoving(const std::wstring& target) {
    return platform::WineVersion() && target.size() >= MAX_PATH;
}

// Wine's ReplaceFileW first moves the target to a file of its own making (rfXXXX.tmp beside it), and leaves
// that file behind each time the move fails. Under Wine the target is opened for deletion first, as that
// move needs: where it cannot be (another program holds it), the call is not made and its error is given.
bool WineCanReplace(const std::wstring& target) {
    if (!platform::WineVersion())
        return true;
    const platform::UniqueFile probe(::CreateFileW(target.c_str(), DELETE,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(probe);
}

} // namespace

TemporaryFile::TemporaryFile(std::wstring target) : m_target(std::move(target)) {}

TemporaryFile::~TemporaryFile() {
    if (m_created)
        ::DeleteFileW(m_path.c_str());
}

platform::UniqueStream TemporaryFile::Create() {
    const auto create = platform::BoundShlwapi().SHCreateStreamOnFileEx;
    if (!create)
        return {};
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        const std::wstring path = TemporaryPathFor(m_target, attempt);
        switch (UseOfTemporaryName(Look(path))) {
        case TemporaryNameUse::TryAnother: continue;
        case TemporaryNameUse::RemoveLeftover:
            // One that cannot go (held open, made read-only) is left, and the next name tried.
            if (!::DeleteFileW(path.c_str()))
                continue;
            break;
        case TemporaryNameUse::Free: break;
        }
        IStream* opened = nullptr;
        // Fails where something took the name meanwhile: the next one is tried.
        if (FAILED(create(path.c_str(), STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_FAILIFTHERE,
                          FILE_ATTRIBUTE_HIDDEN, TRUE, nullptr, &opened)))
            continue;
        m_path = path;
        m_created = true;
        return platform::UniqueStream(opened);
    }
    return {};
}

PlacingResult TemporaryFile::PutInPlace(Existing existing) {
    if (!m_created)
        return PlacingResult::Failed;
    const DWORD attributes = ::GetFileAttributesW(m_path.c_str());
    const DWORD shown = attributes & ~FILE_ATTRIBUTE_HIDDEN;
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !::SetFileAttributesW(m_path.c_str(), shown ? shown : FILE_ATTRIBUTE_NORMAL))
        return PlacingResult::Failed;
    if (existing == Existing::Keep) {
        if (!::MoveFileExW(m_path.c_str(), m_target.c_str(), MOVEFILE_WRITE_THROUGH))
            return PlacingResult::Failed;
        m_created = false;
        return PlacingResult::Placed;
    }
    const ULONGLONG start = ::GetTickCount64();
    bool moveOver = ReplacesByMoving(m_target);
    for (;;) {
        const DWORD target = ::GetFileAttributesW(m_target.c_str());
        const bool exists = target != INVALID_FILE_ATTRIBUTES;
        if (exists && (target & FILE_ATTRIBUTE_READONLY))
            return PlacingResult::ReadOnly;
        const bool placed =
            exists && !moveOver
                ? WineCanReplace(m_target) &&
                      ::ReplaceFileW(m_target.c_str(), m_path.c_str(), nullptr,
                                     REPLACEFILE_WRITE_THROUGH | REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                     nullptr)
                : ::MoveFileExW(m_path.c_str(), m_target.c_str(),
                                MOVEFILE_WRITE_THROUGH | (exists ? MOVEFILE_REPLACE_EXISTING : 0));
        if (placed) {
            m_created = false;
            return PlacingResult::Placed;
        }
        const DWORD error = ::GetLastError();
        const DWORD now = ::GetFileAttributesW(m_target.c_str());
        const bool stillThere = now != INVALID_FILE_ATTRIBUTES;
        switch (AfterPlacingFailed(error, stillThere, stillThere && (now & FILE_ATTRIBUTE_READONLY),
                                   static_cast<unsigned>(::GetTickCount64() - start))) {
        case PlacingNext::Retry: ::Sleep(kBusyRetryStepMs); break;
        case PlacingNext::MoveInstead: moveOver = true; break;
        case PlacingNext::ReadOnly: return PlacingResult::ReadOnly;
        case PlacingNext::Fail: return PlacingResult::Failed;
        }
    }
}

} // namespace panel
