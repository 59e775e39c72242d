#pragma once
// Writing a bitmap to an image file through GDI+, which is bound and started on demand and shut down
// again with the last image object.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

// One of GDI+'s image encoders.
struct ImageEncoder {
    CLSID clsid{};
    std::wstring extensions; // "*.BMP;*.DIB;*.RLE"
    std::wstring mimeType;   // "image/bmp"
};

// Holds GDI+ running while it lives: the first image object starts it, the last one shuts it down
// (counted under a process-wide lock). Takes over a bitmap handle without copying it and never
// deletes it.
class CImage {
public:
    CImage() noexcept;
    ~CImage();
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    void Attach(HBITMAP bitmap) noexcept { m_bitmap = bitmap; }
    HBITMAP Detach() noexcept {
        HBITMAP bitmap = m_bitmap;
        m_bitmap = nullptr;
        return bitmap;
    }

    // GDI+'s encoders in its own order, read afresh; nothing when GDI+ cannot be started or read.
    std::optional<std::vector<ImageEncoder>> Encoders();

    // Writes the attached bitmap to path with the encoder; false when nothing could be written.
    bool Save(const std::wstring& path, const ImageEncoder& encoder);

private:
    HBITMAP m_bitmap = nullptr;
};

} // namespace platform
