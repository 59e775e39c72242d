#include "platform/gdiplus_image.h"

#include "platform/late_bound.h"

#include <mutex>
#include <vector>

namespace platform {

namespace {

// GDI+ runs while image objects exist; the count and the token live under one lock.
std::mutex g_lock;
int g_images = 0;
ULONG_PTR g_token = 0;
bool g_started = false;

bool EnsureStarted() {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_started)
        return true;
    const GdiplusDll& api = BoundGdiplus();
    if (!api.Complete())
        return false;
    gdiplus::StartupInput input;
    g_started = api.GdiplusStartup(&g_token, &input, nullptr) == 0;
    return g_started;
}

// Disposes of a GDI+ image when it goes out of scope.
struct ImageOwner {
    gdiplus::Image* image = nullptr;
    ~ImageOwner() {
        if (image)
            BoundGdiplus().GdipDisposeImage(image);
    }
};

} // namespace

CImage::CImage(HBITMAP borrowed) noexcept : m_borrowed(borrowed) {
    std::lock_guard<std::mutex> hold(g_lock);
    ++g_images;
}

CImage::~CImage() {
    std::lock_guard<std::mutex> hold(g_lock);
    if (--g_images == 0 && g_started) {
        BoundGdiplus().GdiplusShutdown(g_token);
        g_started = false;
        g_token = 0;
    }
}

std::optional<std::vector<ImageEncoder>> CImage::Encoders() {
    if (!EnsureStarted())
        return std::nullopt;
    const GdiplusDll& api = BoundGdiplus();
    UINT count = 0, bytes = 0;
    if (api.GdipGetImageEncodersSize(&count, &bytes) != 0 || bytes < count * sizeof(gdiplus::ImageCodecInfo))
        return std::nullopt;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<gdiplus::ImageCodecInfo*>(buffer.data());
    if (api.GdipGetImageEncoders(count, bytes, codecs) != 0)
        return std::nullopt;
    std::vector<ImageEncoder> encoders;
    for (UINT i = 0; i < count; ++i)
        encoders.push_back({codecs[i].clsid, codecs[i].filenameExtension ? codecs[i].filenameExtension : L"",
                            codecs[i].mimeType ? codecs[i].mimeType : L""});
    return encoders;
}

bool CImage::Save(IStream* stream, const ImageEncoder& encoder) {
    if (!m_borrowed || !stream || !EnsureStarted())
        return false;
    const GdiplusDll& api = BoundGdiplus();
    ImageOwner bitmap;
    if (api.GdipCreateBitmapFromHBITMAP(m_borrowed, nullptr, &bitmap.image) != 0)
        return false;
    gdiplus::Image* toSave = bitmap.image;
    // Some GIF encoders (Wine's) write a broken file from a 32-bit bitmap: hand them 8-bit indexed
    // pixels, which is what a GIF holds anyway.
    ImageOwner indexed;
    if (encoder.mimeType == L"image/gif") {
        BITMAP info{};
        ::GetObjectW(m_borrowed, sizeof(info), &info);
        if (api.GdipCloneBitmapAreaI(0, 0, info.bmWidth, info.bmHeight, gdiplus::kPixelFormat8bppIndexed,
                                     bitmap.image, &indexed.image) != 0)
            return false;
        toSave = indexed.image;
    }
    return api.GdipSaveImageToStream(toSave, stream, &encoder.clsid, nullptr) == 0;
}

} // namespace platform
