#pragma once
// Encoding pictures through GDI+ (the formats the program has no encoder of its own for), which is bound and
// started on demand and shut down again with the last image object.

#include "platform/unique_handle.h"

#include <windows.h>
#include <objidl.h>

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
// (counted under a process-wide lock).
class CImage {
public:
    // The bitmap to save is borrowed, neither copied nor deleted: its owner keeps it alive while this
    // object lives.
    explicit CImage(HBITMAP borrowed = nullptr) noexcept;
    ~CImage();
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    // GDI+'s encoders in its own order, read afresh; nothing when GDI+ cannot be started or read.
    std::optional<std::vector<ImageEncoder>> Encoders();

    // Writes the borrowed bitmap into the stream with the encoder; false when it could not be written.
    bool Save(IStream* stream, const ImageEncoder& encoder);

private:
    HBITMAP m_borrowed;
};

} // namespace platform
