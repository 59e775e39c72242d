#include "panel/picture_file.h"

#include "imaging/colour_quantizer.h"
#include "imaging/gif_encoder.h"
#include "panel/encoder_choice.h"
#include "panel/save_paths.h"
#include "panel/temporary_file.h"
#include "platform/bitmap_pixels.h"
#include "platform/gdiplus_image.h"
#include "platform/late_bound.h"
#include "platform/path_text.h"
#include "platform/unique_handle.h"

#include <algorithm>
#include <new>
#include <optional>
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

// Writes all the bytes into the stream; false for nothing to write or a write cut short.
bool WriteAll(IStream* stream, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ULONG written = 0;
        const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (FAILED(stream->Write(bytes.data() + done, chunk, &written)) || written == 0)
            return false;
        done += written;
    }
    return !bytes.empty();
}

// Encodes the picture into the stream: PNG and GIF with the program's own encoders, every other format with
// GDI+'s encoder. A GIF holds at most 256 colours: it gets the picture's own colours when it has no more,
// else a palette chosen from them, each pixel its nearest entry (the system's GIF encoder may be slow: Wine's
// searches its string table entry by entry). GDI+'s PNG encoder compresses screen pictures poorly. Memory
// running out on a huge picture is a failed save like any other, reported to the user, not an end of the
// program.
bool Encode(platform::CImage& image, HBITMAP picture, IStream* stream, OwnEncoder own,
            const platform::ImageEncoder* encoder) {
    try {
        if (own == OwnEncoder::Png)
            return WriteAll(stream, platform::PngFileOf(picture));
        if (own == OwnEncoder::None)
            return image.Save(stream, *encoder);
        const auto pixels = platform::ReadBitmapPixels(picture);
        if (!pixels)
            return false;
        const imaging::IndexedPicture indexed =
            imaging::QuantizeColours(pixels->pixels.data(), pixels->width, pixels->height);
        return WriteAll(stream,
                        imaging::EncodeGif(pixels->width, pixels->height, indexed.palette, indexed.indices));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

SaveOutcome SavePictureFile(HBITMAP picture, const std::wstring& path, Existing existing) {
    platform::CImage image(picture);
    // GDI+ is started only for the formats it writes.
    const OwnEncoder own = OwnEncoderFor(path);
    std::optional<platform::ImageEncoder> encoder;
    if (own == OwnEncoder::None) {
        const auto encoders = image.Encoders();
        if (!encoders)
            return SaveOutcome::Failed;
        std::vector<std::wstring> lists;
        for (const platform::ImageEncoder& listed : *encoders)
            lists.push_back(listed.extensions);
        const auto chosen = ChooseEncoder(lists, path);
        if (!chosen)
            return SaveOutcome::NoEncoder;
        encoder = (*encoders)[*chosen];
    }
    const std::wstring full = FullPath(path);
    if (full.empty())
        return SaveOutcome::Failed;
    const std::wstring target = platform::PathForFileCalls(full);
    // A read-only target is not written over: the picture is not even encoded. A save that never replaces
    // finds the name taken when it puts the file in place.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (existing == Existing::Replace && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return SaveOutcome::ReadOnly;
    TemporaryFile temporary(target);
    bool written = false;
    {
        // The stream holds the file open: it is closed before the file is put in place.
        const platform::UniqueStream stream = temporary.Create();
        written = stream && Encode(image, picture, stream.get(), own, encoder ? &*encoder : nullptr);
    }
    if (!written)
        return SaveOutcome::Failed;
    switch (temporary.PutInPlace(existing)) {
    case PlacingResult::Placed: return SaveOutcome::Saved;
    case PlacingResult::ReadOnly: return SaveOutcome::ReadOnly;
    case PlacingResult::Failed: break;
    }
    return SaveOutcome::Failed;
}

} // namespace panel
