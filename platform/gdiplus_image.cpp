#include "platform/gdiplus_image.h"

#include "platform/late_bound.h"
#include "platform/unique_handle.h"

#include <mutex>
#include <vector>

namespace platform {

namespace {

// GDI+ runs while image objects exist; the count and the token live under one lock.
std::mutex g_lock;
int g_images = 0;
ULONG_PTR g_token = 0;
bool g_started = false;

// The quality asked of the JPEG encoder: at GDI+'s default (75, with halved colour resolution) coloured text
// smears.
constexpr ULONG kJpegQuality = 90;

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

void DisposeImage(gdiplus::Image* image) noexcept {
    BoundGdiplus().GdipDisposeImage(image);
}
// A GDI+ image, disposed of once.
using UniqueImage = UniqueAny<gdiplus::Image*, DisposeImage>;

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
    gdiplus::Image* made = nullptr;
    const gdiplus::Status status = api.GdipCreateBitmapFromHBITMAP(m_borrowed, nullptr, &made);
    const UniqueImage bitmap(made);
    if (status != 0)
        return false;
    // Encoders that know no quality setting ignore it.
    ULONG quality = kJpegQuality;
    const gdiplus::EncoderParameters jpeg{
        1, {{gdiplus::kEncoderQuality, 1, gdiplus::kEncoderParameterValueTypeLong, &quality}}};
    const gdiplus::EncoderParameters* parameters = encoder.mimeType == L"image/jpeg" ? &jpeg : nullptr;
    return api.GdipSaveImageToStream(bitmap.get(), stream, &encoder.clsid, parameters) == 0;
}

} // namespace platform
