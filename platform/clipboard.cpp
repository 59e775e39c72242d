#include "platform/clipboard.h"

#include "platform/bitmap_pixels.h"

#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace platform {

static_assert(kDibHeaderBytes == sizeof(BITMAPINFOHEADER));

namespace {

// OpenClipboard fails while another program has it open: try for about half a second.
constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenPauseMs = 25;

bool OpenClipboardPatiently(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (::OpenClipboard(owner))
            return true;
        ::Sleep(kOpenPauseMs);
    }
    return false;
}

// The registered format in which programs exchange PNG files.
UINT PngFormat() {
    static const UINT format = ::RegisterClipboardFormatW(L"PNG");
    return format;
}

// The picture as a packed 24-bit DIB in movable memory; empty when it cannot be read or memory runs out.
UniqueGlobal MakeDib(HBITMAP picture) {
    const std::optional<RgbPicture> pixels = ReadBitmapPixels(picture);
    if (!pixels)
        return {};
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, PackedDibBytes(pixels->width, pixels->height)));
    void* at = memory ? ::GlobalLock(memory.get()) : nullptr;
    if (!at)
        return {};
    const bool written = WritePackedDib(*pixels, static_cast<std::uint8_t*>(at));
    ::GlobalUnlock(memory.get());
    return written ? std::move(memory) : UniqueGlobal{};
}

// The picture as a PNG file in movable memory of exactly its size (readers take the memory's size for the
// file's), written as Save writes a .png; empty on failure.
UniqueGlobal MakePng(HBITMAP picture) {
    const std::vector<std::uint8_t> file = PngFileOf(picture);
    UniqueGlobal memory(file.empty() ? nullptr : ::GlobalAlloc(GMEM_MOVEABLE, file.size()));
    void* at = memory ? ::GlobalLock(memory.get()) : nullptr;
    if (!at)
        return {};
    std::memcpy(at, file.data(), file.size());
    ::GlobalUnlock(memory.get());
    return memory;
}

} // namespace

ClipboardResult ClipboardPicture::Put(HWND owner, UniqueBitmap bitmap, SharedBitmap picture) {
    if (!bitmap)
        return ClipboardResult::Refused;
    if (!OpenClipboardPatiently(owner))
        return ClipboardResult::Busy;
    // Tells the previous owner, this object too, that its promises are void.
    ::EmptyClipboard();
    ClipboardResult result = ClipboardResult::Refused;
    if (::SetClipboardData(CF_BITMAP, bitmap.get())) {
        (void)bitmap.release(); // the clipboard owns it now
        result = ClipboardResult::Done;
        // A null handle promises a format: WM_RENDERFORMAT asks for it when some program wants it. Making
        // them only then keeps Copy as quick as putting the bitmap alone.
        m_picture = std::move(picture);
        m_bDibPromised = static_cast<bool>(m_picture);
        m_bPngPromised = m_picture && PngFormat() != 0;
        if (m_bDibPromised)
            ::SetClipboardData(CF_DIB, nullptr);
        if (m_bPngPromised)
            ::SetClipboardData(PngFormat(), nullptr);
    }
    ::CloseClipboard();
    return result;
}

void ClipboardPicture::OnRenderFormat(UINT format) {
    Render(format);
}

void ClipboardPicture::OnRenderAllFormats(HWND owner) {
    if (!m_bDibPromised && !m_bPngPromised)
        return;
    if (!OpenClipboardPatiently(owner))
        return;
    // Another program may have taken the clipboard meanwhile; its contents are not ours to add to.
    if (::GetClipboardOwner() == owner) {
        Render(CF_DIB);
        Render(PngFormat());
    }
    ::CloseClipboard();
    OnDestroyClipboard();
}

void ClipboardPicture::OnDestroyClipboard() {
    m_bDibPromised = m_bPngPromised = false;
    m_picture.reset();
}

// Makes one promised format and hands it to the open clipboard; each is made at most once.
void ClipboardPicture::Render(UINT format) {
    bool* promised = format == CF_DIB ? &m_bDibPromised : format == PngFormat() ? &m_bPngPromised : nullptr;
    if (!promised || !*promised)
        return;
    *promised = false;
    UniqueGlobal data;
    try {
        data = format == CF_DIB ? MakeDib(m_picture.get()) : MakePng(m_picture.get());
    } catch (const std::bad_alloc&) {
        // Memory ran out making it: the asking program gets nothing of this format, as for any failure
        // here, and this program goes on (no message can be shown while another program waits).
    }
    // The picture goes once nothing more is to be made of it.
    if (!m_bDibPromised && !m_bPngPromised)
        m_picture.reset();
    if (data && ::SetClipboardData(format, data.get()))
        (void)data.release(); // the clipboard owns it now
}

} // namespace platform
