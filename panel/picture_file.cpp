#include "panel/picture_file.h"

#include "panel/encoder_choice.h"
#include "panel/save_paths.h"
#include "platform/gdiplus_image.h"
#include "platform/late_bound.h"
#include "platform/path_text.h"
#include "platform/unique_handle.h"

#include <vector>

namespace panel {

namespace {

// The full path of what the user chose, as the plain calls would read it (dots and blanks that end a name
// dropped, "." and ".." resolved); empty when the system cannot make it.
std::wstring FullPath(const std::wstring& path) {
    std::wstring full(path.size() + 1, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length); // too small: length is what it needs, the ending zero included
    }
}

// The file a save writes before it takes the target's name: hidden while it is written, and removed
// unless it took that name.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : m_path(std::move(path)) {}
    ~TemporaryFile() {
        if (m_created)
            ::DeleteFileW(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Writes the picture into a new hidden file of this name. A leftover of an earlier save that was cut off
    // goes first; a file of this name that cannot be removed makes the write fail.
    bool Write(platform::CImage& image, const platform::ImageEncoder& encoder) {
        const auto create = platform::BoundShlwapi().SHCreateStreamOnFileEx;
        if (!create)
            return false;
        ::DeleteFileW(m_path.c_str());
        IStream* opened = nullptr;
        if (FAILED(create(m_path.c_str(), STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_FAILIFTHERE,
                          FILE_ATTRIBUTE_HIDDEN, TRUE, nullptr, &opened)))
            return false;
        m_created = true;
        platform::UniqueStream stream(opened);
        return image.Save(stream.get(), encoder);
    }

    // Shows the written file and puts it in the target's place, replacing what was there only now.
    bool MoveTo(const std::wstring& target) {
        const DWORD attributes = ::GetFileAttributesW(m_path.c_str());
        const DWORD shown = attributes & ~FILE_ATTRIBUTE_HIDDEN;
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            !::SetFileAttributesW(m_path.c_str(), shown ? shown : FILE_ATTRIBUTE_NORMAL) ||
            !::MoveFileExW(m_path.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        m_created = false;
        return true;
    }

private:
    std::wstring m_path;
    bool m_created = false; // this save made the file, so it removes it unless it took the target's name
};

} // namespace

SaveOutcome SavePictureFile(HBITMAP picture, const std::wstring& path) {
    platform::CImage image(picture);
    const auto encoders = image.Encoders();
    if (!encoders)
        return SaveOutcome::Failed;
    std::vector<std::wstring> lists;
    for (const platform::ImageEncoder& encoder : *encoders)
        lists.push_back(encoder.extensions);
    const auto chosen = ChooseEncoder(lists, path);
    if (!chosen)
        return SaveOutcome::NoEncoder;
    const std::wstring full = FullPath(path);
    if (full.empty())
        return SaveOutcome::Failed;
    TemporaryFile temporary(platform::PathForFileCalls(TemporaryPathFor(full)));
    const bool saved =
        temporary.Write(image, (*encoders)[*chosen]) && temporary.MoveTo(platform::PathForFileCalls(full));
    return saved ? SaveOutcome::Saved : SaveOutcome::Failed;
}

} // namespace panel
