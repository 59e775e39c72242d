#pragma once
// Encoding pictures through GDI+, which is bound and started on demand and shut down again with the last
// image object: a bitmap to a file, or to a file in memory.

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

// The first encoder of that MIME type ("image/png"); null when there is none.
const ImageEncoder* FindEncoder(const std::vector<ImageEncoder>& encoders, const wchar_t* mimeType);

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

    // The whole file the encoder makes of the borrowed bitmap, in movable memory of exactly its size (as the
    // clipboard takes it); empty on failure.
    UniqueGlobal SaveToMemory(const ImageEncoder& encoder);

private:
    HBITMAP m_borrowed;
};

} // namespace platform
