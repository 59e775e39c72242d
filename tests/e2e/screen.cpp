#include "tests/e2e/screen.h"

#include "tests/support/dib.h"
#include "platform/dib.h"
#include "platform/unique_handle.h"

#include <cmath>
#include <cstdio>

namespace e2e {

void fillSolid(HDC dc, const RECT& rect, uint32_t rgb) {
    const platform::UniqueBrush brush(
        CreateSolidBrush(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)));
    FillRect(dc, &rect, brush.get());
}

Pixels drawnPixels(int width, int height, const std::function<void(HDC)>& draw) {
    Pixels px;
    if (width <= 0 || height <= 0)
        return px;
    const platform::WindowDcScope screen(nullptr);
    std::uint32_t* bits = nullptr;
    const platform::UniqueBitmap dib = platform::CreateTopDownDib(screen.get(), width, height, &bits);
    const platform::UniqueDc mem(CreateCompatibleDC(screen.get()));
    if (!mem || !dib || !bits)
        return px;
    const platform::SelectScope select(mem.get(), dib.get());
    draw(mem.get());
    GdiFlush();
    px.width = width;
    px.height = height;
    px.rgb.assign(bits, bits + static_cast<size_t>(width) * height);
    for (auto& p : px.rgb)
        p &= 0xFFFFFF;
    return px;
}

Pixels captureScreen(const RECT& area) {
    return drawnPixels(area.right - area.left, area.bottom - area.top, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left, area.top,
               SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

bool writeBmp(const std::wstring& path, const Pixels& px) {
    const DWORD rowBytes = (static_cast<DWORD>(px.width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(px.height);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42; // "BM"
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + imageBytes;
    ih.biSize = sizeof ih;
    ih.biWidth = px.width;
    ih.biHeight = px.height; // bottom row first, as most readers expect
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = imageBytes;
    std::vector<unsigned char> image(imageBytes, 0);
    for (int y = 0; y < px.height; ++y) {
        unsigned char* row = image.data() + static_cast<size_t>(px.height - 1 - y) * rowBytes;
        for (int x = 0; x < px.width; ++x) {
            uint32_t c = px.at(x, y);
            row[x * 3 + 0] = static_cast<unsigned char>(c & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((c >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>((c >> 16) & 0xFF);
        }
    }
    platform::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file.get(), &fh, sizeof fh, &written, nullptr) &&
              WriteFile(file.get(), &ih, sizeof ih, &written, nullptr) &&
              WriteFile(file.get(), image.data(), imageBytes, &written, nullptr) && written == imageBytes;
    return ok;
}

bool saveScreenBmp(const std::wstring& path) {
    RECT all{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    all.right = all.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    all.bottom = all.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    Pixels px = captureScreen(all);
    return !px.rgb.empty() && writeBmp(path, px);
}

std::string colourText(uint32_t rgb) {
    char buf[32];
    snprintf(buf, sizeof buf, "RGB(%u,%u,%u)", (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return buf;
}

uint32_t patternColour(int x, int y, int variant) {
    if (variant == 1) {
        if ((x + 2 * y) % 9 == 0)
            return 0x010000; // the frame's key colour
        uint32_t r = static_cast<uint32_t>(x * 3 + y) & 0xFF, g = static_cast<uint32_t>(y * 11) & 0xFF;
        uint32_t b = (static_cast<uint32_t>(x * 13) & 0xFF) | 0x40;
        return (r << 16) | (g << 8) | b;
    }
    if (variant == 2)
        return ~patternColour(x, y, 0) & 0xFFFFFF;
    if (variant == 3) {
        // Multiplying by odd numbers modulo 256 keeps the reds of the tiles distinct.
        const uint32_t tile = static_cast<uint32_t>((x / 6) * 7 + (y / 4) * 13) % kFewColours;
        return ((tile * 37) & 0xFF) << 16 | ((tile * 101 + 50) & 0xFF) << 8 | ((tile * 59 + 20) & 0xFF);
    }
    if (variant == 4) {
        const double sky = 0.5 + 0.5 * std::sin(x / 97.0 + std::sin(y / 61.0) * 1.7);
        const double hill = 0.5 + 0.5 * std::cos(y / 43.0 - x / 151.0 + std::sin(x / 33.0) * 0.6);
        const int grain =
            static_cast<int>(
                (static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u) >> 28) -
            8;
        auto channel = [grain](double v) {
            const double c = v + grain;
            return static_cast<uint32_t>(c < 0 ? 0 : c > 255 ? 255 : c);
        };
        return channel(40 + 150 * sky * hill) << 16 | channel(70 + 120 * hill) << 8 |
               channel(60 + 170 * sky - 50 * hill);
    }
    if (variant == 5)
        return 0x3A6EA5;
    uint32_t r = static_cast<uint32_t>(x * 7) & 0xFF;
    uint32_t g = static_cast<uint32_t>(y * 5) & 0xFF;
    uint32_t b = static_cast<uint32_t>(x ^ y) & 0xFF;
    if (r == 1 && g == 0 && b == 0)
        b = 2; // never the frame's key colour
    return (r << 16) | (g << 8) | b;
}

namespace {
const wchar_t kPatternClass[] = L"VantrelE2EPattern";

LRESULT CALLBACK patternProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        BITMAPINFO bi = support::topDownInfo(rc.right, rc.bottom);
        std::vector<uint32_t> bits(static_cast<size_t>(rc.right) * rc.bottom);
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x)
                bits[static_cast<size_t>(y) * rc.right + x] =
                    patternColour(x, y, static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        SetDIBitsToDevice(dc, 0, 0, rc.right, rc.bottom, 0, 0, 0, rc.bottom, bits.data(), &bi,
                          DIB_RGB_COLORS);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Made and shown on the window's own thread; it never takes the activation.
HWND showPatternWindow(const RECT& rect, int variant) {
    HWND w = makeDriverWindow(kPatternClass, patternProc, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                              WS_POPUP | WS_SYSMENU, rect, nullptr, variant);
    if (w) {
        ShowWindow(w, SW_SHOWNOACTIVATE);
        UpdateWindow(w);
    }
    return w;
}
} // namespace

PatternWindow::PatternWindow(const RECT& screenRect, int variant)
    : rect_(screenRect), variant_(variant),
      window_([this] { return showPatternWindow(rect_, variant_); }, "could not create the pattern window") {
    sayKey("pattern_window", hex(hwnd()) + " " + rectText(rect_));
}

void PatternWindow::setVariant(int variant) {
    variant_ = variant;
    SetWindowLongPtrW(hwnd(), GWLP_USERDATA, variant);
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sleep(100); // let the X server show the new pixels
}

} // namespace e2e
