#include "panel/picture_file.h"

#include "panel/colour_quantizer.h"
#include "panel/encoder_choice.h"
#include "panel/gif_encoder.h"
#include "platform/bitmap_pixels.h"
#include "platform/gdiplus_image.h"
#include "platform/unique_handle.h"

#include <vector>

namespace panel {

namespace {

// The folder part of a path, for a temporary file beside the target.
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
}

// Removes the temporary file unless it has been moved into place.
struct TemporaryFile {
    std::wstring path;
    ~TemporaryFile() {
        if (!path.empty())
            ::DeleteFileW(path.c_str());
    }
};

// Writes the whole file; false when it cannot be written completely.
bool WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && !bytes.empty() &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Encodes the picture to path. A GIF holds at most 256 colours: it gets the picture's own colours when it
// has no more, else a palette chosen from them, each pixel its nearest entry; it is written here, as the
// system's GIF encoder may be slow (Wine's searches its string table entry by entry).
bool Encode(platform::CImage& image, HBITMAP picture, const std::wstring& path,
            const platform::ImageEncoder& encoder) {
    if (encoder.mimeType != L"image/gif")
        return image.Save(path, encoder);
    const auto pixels = platform::ReadBitmapPixels(picture);
    if (!pixels)
        return false;
    const IndexedPicture indexed = QuantizeColours(pixels->pixels.data(), pixels->width, pixels->height);
    return WriteBytes(path, EncodeGif(pixels->width, pixels->height, indexed.palette, indexed.indices));
}

} // namespace

SaveOutcome SavePictureFile(HBITMAP picture, const std::wstring& path) {
    platform::CImage image(picture);
    SaveOutcome outcome = SaveOutcome::Failed;
    if (const auto encoders = image.Encoders()) {
        std::vector<std::wstring> lists;
        for (const platform::ImageEncoder& encoder : *encoders)
            lists.push_back(encoder.extensions);
        const auto chosen = ChooseEncoder(lists, path);
        if (!chosen) {
            outcome = SaveOutcome::NoEncoder;
        } else {
            wchar_t temporary[MAX_PATH] = L"";
            if (::GetTempFileNameW(FolderOf(path).c_str(), L"vtl", 0, temporary)) {
                TemporaryFile written{temporary};
                if (Encode(image, picture, written.path, (*encoders)[*chosen]) &&
                    ::MoveFileExW(written.path.c_str(), path.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                    written.path.clear();
                    outcome = SaveOutcome::Saved;
                }
            }
        }
    }
    return outcome;
}

} // namespace panel
