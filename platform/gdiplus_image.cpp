#include "platform/gdiplus_image.h"

#include "platform/late_bound.h"

#include <mutex>
#include <vector>

namespace platform {

namespace {

// The flat GDI+ interface, declared here with only what the save needs.
using GpStatus = int;
using GpImage = void;
struct StartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
struct ImageCodecInfo {
    CLSID clsid;
    GUID formatId;
    const WCHAR* codecName;
    const WCHAR* dllName;
    const WCHAR* formatDescription;
    const WCHAR* filenameExtension;
    const WCHAR* mimeType;
    DWORD flags;
    DWORD version;
    DWORD sigCount;
    DWORD sigSize;
    const BYTE* sigPattern;
    const BYTE* sigMask;
};
constexpr INT kPixelFormat8bppIndexed = 0x00030803;

struct GdiplusApi {
    GpStatus(WINAPI* startup)(ULONG_PTR*, const StartupInput*, void*) = nullptr;
    void(WINAPI* shutdown)(ULONG_PTR) = nullptr;
    GpStatus(WINAPI* encodersSize)(UINT*, UINT*) = nullptr;
    GpStatus(WINAPI* encoders)(UINT, UINT, ImageCodecInfo*) = nullptr;
    GpStatus(WINAPI* fromHbitmap)(HBITMAP, HPALETTE, GpImage**) = nullptr;
    GpStatus(WINAPI* cloneArea)(INT, INT, INT, INT, INT, GpImage*, GpImage**) = nullptr;
    GpStatus(WINAPI* save)(GpImage*, const WCHAR*, const CLSID*, const void*) = nullptr;
    GpStatus(WINAPI* dispose)(GpImage*) = nullptr;

    bool Complete() const {
        return startup && shutdown && encodersSize && encoders && fromHbitmap && cloneArea && save && dispose;
    }
    static const GdiplusApi& Get() {
        static const GdiplusApi api = Bind();
        return api;
    }

private:
    template <typename Fn> static void BindOne(Fn& fn, const char* name) {
        fn = LateBound<Fn>(L"gdiplus.dll", name);
    }
    static GdiplusApi Bind() {
        GdiplusApi api;
        BindOne(api.startup, "GdiplusStartup");
        BindOne(api.shutdown, "GdiplusShutdown");
        BindOne(api.encodersSize, "GdipGetImageEncodersSize");
        BindOne(api.encoders, "GdipGetImageEncoders");
        BindOne(api.fromHbitmap, "GdipCreateBitmapFromHBITMAP");
        BindOne(api.cloneArea, "GdipCloneBitmapAreaI");
        BindOne(api.save, "GdipSaveImageToFile");
        BindOne(api.dispose, "GdipDisposeImage");
        return api;
    }
};

// GDI+ runs while image objects exist; the count and the token live under one lock.
std::mutex g_lock;
int g_images = 0;
ULONG_PTR g_token = 0;
bool g_started = false;

bool EnsureStarted() {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_started)
        return true;
    const GdiplusApi& api = GdiplusApi::Get();
    if (!api.Complete())
        return false;
    StartupInput input;
    g_started = api.startup(&g_token, &input, nullptr) == 0;
    return g_started;
}

// Disposes of a GDI+ image when it goes out of scope.
struct ImageOwner {
    GpImage* image = nullptr;
    ~ImageOwner() {
        if (image)
            GdiplusApi::Get().dispose(image);
    }
};

} // namespace

CImage::CImage() noexcept {
    std::lock_guard<std::mutex> hold(g_lock);
    ++g_images;
}

CImage::~CImage() {
    std::lock_guard<std::mutex> hold(g_lock);
    if (--g_images == 0 && g_started) {
        GdiplusApi::Get().shutdown(g_token);
        g_started = false;
        g_token = 0;
    }
}

std::optional<std::vector<ImageEncoder>> CImage::Encoders() {
    if (!EnsureStarted())
        return std::nullopt;
    const GdiplusApi& api = GdiplusApi::Get();
    UINT count = 0, bytes = 0;
    if (api.encodersSize(&count, &bytes) != 0 || bytes < count * sizeof(ImageCodecInfo))
        return std::nullopt;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (api.encoders(count, bytes, codecs) != 0)
        return std::nullopt;
    std::vector<ImageEncoder> encoders;
    for (UINT i = 0; i < count; ++i)
        encoders.push_back({codecs[i].clsid, codecs[i].filenameExtension ? codecs[i].filenameExtension : L"",
                            codecs[i].mimeType ? codecs[i].mimeType : L""});
    return encoders;
}

bool CImage::Save(const std::wstring& path, const ImageEncoder& encoder) {
    if (!m_bitmap || !EnsureStarted())
        return false;
    const GdiplusApi& api = GdiplusApi::Get();
    ImageOwner bitmap;
    if (api.fromHbitmap(m_bitmap, nullptr, &bitmap.image) != 0)
        return false;
    GpImage* toSave = bitmap.image;
    // Some GIF encoders (Wine's) write a broken file from a 32-bit bitmap: hand them 8-bit indexed
    // pixels, which is what a GIF holds anyway.
    ImageOwner indexed;
    if (encoder.mimeType == L"image/gif") {
        BITMAP info{};
        ::GetObjectW(m_bitmap, sizeof(info), &info);
        if (api.cloneArea(0, 0, info.bmWidth, info.bmHeight, kPixelFormat8bppIndexed, bitmap.image,
                          &indexed.image) != 0)
            return false;
        toSave = indexed.image;
    }
    return api.save(toSave, path.c_str(), &encoder.clsid, nullptr) == 0;
}

} // namespace platform
