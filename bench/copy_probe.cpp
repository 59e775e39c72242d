// Times the program's Copy against the Copy it replaced, side by side in one run, for bench/copy:
//
//   bench_copy_probe.exe ROUNDS
//
// A 1920x1080 bitmap compatible with the screen (what Capture holds), painted with smooth shading and fine
// grain, is put on the clipboard ROUNDS times each way, alternating, after one untimed warm-up of each:
//   vantrel   panel::DuplicateBitmap, then platform::ClipboardPicture::Put (the duplicate at once; CF_DIB and
//             "PNG" promised, to be made from the shared picture only when asked for): what Copy runs;
//   baseline  panel::DuplicateBitmap, then the bitmap alone on the clipboard (OpenClipboard, EmptyClipboard,
//             SetClipboardData(CF_BITMAP), CloseClipboard): what Copy did before.
// Each is timed with QueryPerformanceCounter around the whole step. The clipboard's owner is a hidden
// window of this probe that passes WM_RENDERFORMAT, WM_RENDERALLFORMATS and WM_DESTROYCLIPBOARD on, as the
// panel does. Then, once after a Copy, what a program's paste makes vantrel do: GetClipboardData of CF_DIB
// and of "PNG" (which render them), each timed; the DIB is checked against the picture's pixels.
//
// Prints "vantrel_ms=..." and "baseline_ms=..." for every round, then "dib_render_ms", "png_render_ms",
// "png_bytes". Exits with 1 when something could not be made or checked, 2 on bad arguments.
#include "panel/screen_copy.h"
#include "platform/bitmap_pixels.h"
#include "platform/clipboard.h"
#include "tests/support/dib.h"
#include "tests/support/stopwatch.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

platform::ClipboardPicture g_clipboard;

LRESULT CALLBACK OwnerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_RENDERFORMAT: g_clipboard.OnRenderFormat(static_cast<UINT>(wp)); return 0;
    case WM_RENDERALLFORMATS: g_clipboard.OnRenderAllFormats(wnd); return 0;
    case WM_DESTROYCLIPBOARD: g_clipboard.OnDestroyClipboard(); return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

std::vector<uint32_t> PicturePixels() {
    std::vector<uint32_t> bits(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double a = 0.5 + 0.5 * std::sin(x / 97.0 + std::sin(y / 61.0) * 1.7);
            const double b = 0.5 + 0.5 * std::cos(y / 43.0 - x / 151.0);
            const uint32_t grain =
                (static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u) >> 29;
            bits[static_cast<size_t>(y) * kWidth + x] = static_cast<uint32_t>(40 + 150 * a * b + grain)
                                                            << 16 |
                                                        static_cast<uint32_t>(70 + 120 * b + grain) << 8 |
                                                        static_cast<uint32_t>(60 + 100 * a + grain);
        }
    return bits;
}

// What Copy did before: the duplicate alone on the clipboard.
bool BaselineCopy(HWND owner, HBITMAP picture) {
    platform::UniqueBitmap copy = panel::DuplicateBitmap(picture);
    if (!copy || !::OpenClipboard(owner))
        return false;
    ::EmptyClipboard();
    const bool taken = ::SetClipboardData(CF_BITMAP, copy.get()) != nullptr;
    if (taken)
        (void)copy.release();
    ::CloseClipboard();
    return taken;
}

// What Copy does now.
bool VantrelCopy(HWND owner, const platform::SharedBitmap& picture) {
    platform::UniqueBitmap copy = panel::DuplicateBitmap(picture.get());
    return copy && g_clipboard.Put(owner, std::move(copy), picture) == platform::ClipboardResult::Done;
}

// Asks for a format as a pasting program does; the size of what came, 0 for nothing. The DIB's pixels are
// compared with the picture's.
size_t Paste(HWND owner, UINT format, const std::vector<uint32_t>& expected) {
    if (!::OpenClipboard(owner))
        return 0;
    size_t bytes = 0;
    if (HANDLE data = ::GetClipboardData(format)) {
        bytes = ::GlobalSize(data);
        if (format == CF_DIB) {
            const auto* dib = static_cast<const uint8_t*>(::GlobalLock(data));
            const size_t stride = (kWidth * 3 + 3) & ~size_t{3};
            for (int y = 0; dib && bytes && y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const uint8_t* p = dib + 40 + (kHeight - 1 - y) * stride + x * 3;
                    const uint32_t c = static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
                    if (c != (expected[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFF))
                        bytes = 0;
                }
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return bytes;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc == 2 ? _wtoi(argv[1]) : 0;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: bench_copy_probe.exe ROUNDS\n");
        return 2;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantrelBenchCopyOwner";
    ::RegisterClassW(&wc);
    HWND owner = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   wc.hInstance, nullptr);

    const std::vector<uint32_t> pixels = PicturePixels();
    HDC screen = ::GetDC(nullptr);
    // Shared, as the panel's picture is with the clipboard after Copy.
    const platform::SharedBitmap picture =
        platform::UniqueBitmap(::CreateCompatibleBitmap(screen, kWidth, kHeight));
    const BITMAPINFO bi = support::topDownInfo(kWidth, kHeight);
    const bool painted = picture && ::SetDIBits(screen, picture.get(), 0, kHeight, pixels.data(), &bi,
                                                DIB_RGB_COLORS) == kHeight;
    ::ReleaseDC(nullptr, screen);
    if (!owner || !painted) {
        std::fprintf(stderr, "could not make the clipboard owner or a %dx%d picture\n", kWidth, kHeight);
        return 1;
    }
    const auto kept = platform::ReadBitmapPixels(picture.get());
    if (!kept) {
        std::fprintf(stderr, "could not read the picture back\n");
        return 1;
    }

    if (!VantrelCopy(owner, picture) || !BaselineCopy(owner, picture.get())) { // warm-up
        std::fprintf(stderr, "a warm-up copy failed\n");
        return 1;
    }
    for (int i = 0; i < rounds; ++i) {
        const support::Stopwatch vantrel;
        const bool copied = VantrelCopy(owner, picture);
        const double vantrelMs = vantrel.ms();
        const support::Stopwatch baseline;
        const bool baselineCopied = BaselineCopy(owner, picture.get());
        const double baselineMs = baseline.ms();
        if (!copied || !baselineCopied) {
            std::fprintf(stderr, "round %d: a copy failed\n", i + 1);
            return 1;
        }
        std::printf("vantrel_ms=%.2f\nbaseline_ms=%.2f\n", vantrelMs, baselineMs);
    }

    VantrelCopy(owner, picture);
    const support::Stopwatch dib;
    const size_t dibBytes = Paste(owner, CF_DIB, kept->pixels);
    const double dibMs = dib.ms();
    const support::Stopwatch png;
    const size_t pngBytes = Paste(owner, ::RegisterClipboardFormatW(L"PNG"), kept->pixels);
    const double pngMs = png.ms();
    if (!dibBytes || !pngBytes) {
        std::fprintf(
            stderr,
            "a promised format did not come, or the DIB's pixels were wrong (DIB %zu bytes, PNG %zu)\n",
            dibBytes, pngBytes);
        return 1;
    }
    std::printf("dib_render_ms=%.2f\npng_render_ms=%.2f\npng_bytes=%zu\n", dibMs, pngMs, pngBytes);
    std::fflush(stdout);
    ::DestroyWindow(owner);
    return 0;
}
