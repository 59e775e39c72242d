// Times vantrel's own save code on a full-HD picture, for bench/save, which sets it against ImageMagick:
//
//   bench_save_probe.exe FOLDER ROUNDS [PICTURE.ppm]
//
// The picture: without PICTURE.ppm, a 1920x1080 bitmap compatible with the screen (what Capture holds)
// painted like a busy screen: a desktop gradient, windows with title bars and many lines of text in several
// fonts, a photograph-like area of smooth shading with fine grain, and flat panels; its pixels are written to
// FOLDER\in.ppm, so that ImageMagick converts exactly the same picture. With PICTURE.ppm (a screenshot), a
// bitmap compatible with the screen holding its pixels.
//
// Saves it with panel::SavePictureFile, the function behind Save, once to each of FOLDER\vantrel.png,
// FOLDER\vantrel.bmp and FOLDER\vantrel.gif, and once to FOLDER\gdiplus.png through GDI+'s PNG encoder as
// Save wrote PNG files before it had its own writer (GDI+ started, its encoders listed, the file written
// through a stream, GDI+ shut down), as a warm-up (not timed: the first save of a process also loads GDI+),
// and then ROUNDS times each, in turn. Each timed save starts from a missing target and is timed with
// QueryPerformanceCounter around the call.
//
// Prints one line per timed save ("png_ms=12.3", "gdiplus_png_ms=...", "bmp_ms=4.5", "gif_ms=...") and the
// file sizes ("png_bytes=...", ...). Exits with 1 when something could not be painted, read, written or
// saved, 2 on bad arguments.
#include "panel/picture_file.h"
#include "platform/gdiplus_image.h"
#include "platform/late_bound.h"
#include "platform/unique_handle.h"
#include "tests/support/dib.h"
#include "tests/support/stopwatch.h"
#include "tests/support/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace support;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A small deterministic hash, for grain and word lengths that look random but repeat from run to run.
uint32_t Hash(uint32_t a, uint32_t b) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0xC2B2AE3Du;
    return h ^ (h >> 13);
}

void FillRect(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    const platform::UniqueBrush brush(::CreateSolidBrush(colour));
    RECT r{left, top, right, bottom};
    ::FillRect(dc, &r, brush.get());
}

void VerticalGradient(HDC dc, const RECT& r, COLORREF from, COLORREF to) {
    for (int y = r.top; y < r.bottom; ++y) {
        const double t = static_cast<double>(y - r.top) / std::max<LONG>(1, r.bottom - r.top - 1);
        auto mix = [t](int a, int b) { return static_cast<BYTE>(a + (b - a) * t + 0.5); };
        FillRect(dc, r.left, y, r.right, y + 1,
                 RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                     mix(GetBValue(from), GetBValue(to))));
    }
}

// Lines of pseudo-words in a font, clipped to the rectangle.
void TextLines(HDC dc, const RECT& area, const wchar_t* face, int height, COLORREF colour, uint32_t salt) {
    const platform::UniqueFont font(::CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                                  ANTIALIASED_QUALITY, DEFAULT_PITCH, face));
    const platform::SelectScope select(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    static const wchar_t kLetters[] = L"etaoinshrdlucmfwypvbgkqjxz";
    int line = 0;
    for (int y = area.top + 4; y + height < area.bottom; y += height * 3 / 2, ++line) {
        std::wstring text;
        for (int word = 0; text.size() < 160; ++word) {
            const uint32_t h = Hash(salt + line, word);
            const int length = 2 + static_cast<int>(h % 9);
            for (int i = 0; i < length; ++i)
                text += kLetters[Hash(h, i) % 26 % (i == 0 ? 26 : 12)];
            text += (h >> 8) % 11 == 0 ? L". " : L" ";
        }
        RECT r{area.left + 6, y, area.right - 6, y + height * 3 / 2};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                    DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
}

// A window: frame, title bar with its caption, and a client area of text or flat controls.
void Window(HDC dc, const RECT& r, COLORREF title, const wchar_t* caption, const wchar_t* face,
            int textHeight, uint32_t salt) {
    FillRect(dc, r.left, r.top, r.right, r.bottom, RGB(90, 90, 96));
    VerticalGradient(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.top + 27}, title, RGB(240, 240, 250));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    RECT cap{r.left + 8, r.top + 5, r.right - 60, r.top + 25};
    ::DrawTextW(dc, caption, -1, &cap, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    FillRect(dc, r.left + 1, r.top + 27, r.right - 1, r.bottom - 1, RGB(250, 250, 248));
    TextLines(dc, RECT{r.left + 1, r.top + 30, r.right - 1, r.bottom - 1}, face, textHeight, RGB(20, 20, 30),
              salt * 7 + 1);
}

// Smooth shading with fine grain, like a photograph on the screen.
void Photograph(HDC dc, int left, int top, int width, int height) {
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double sky = 0.5 + 0.5 * std::sin(x / 97.0 + std::sin(y / 61.0) * 1.7);
            const double hill = 0.5 + 0.5 * std::cos(y / 43.0 - x / 151.0 + std::sin(x / 33.0) * 0.6);
            const int grain = static_cast<int>(Hash(x, y) % 13) - 6;
            auto clamp = [](double v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            const uint32_t r = clamp(40 + 150 * sky * hill + grain), g = clamp(70 + 120 * hill + grain),
                           b = clamp(60 + 170 * sky - 50 * hill + grain);
            bits[static_cast<size_t>(y) * width + x] = r << 16 | g << 8 | b;
        }
    const BITMAPINFO bi = topDownInfo(width, height);
    ::SetDIBitsToDevice(dc, left, top, width, height, 0, 0, 0, height, bits.data(), &bi, DIB_RGB_COLORS);
}

void Paint(HDC dc) {
    VerticalGradient(dc, RECT{0, 0, kWidth, kHeight}, RGB(24, 64, 120), RGB(120, 170, 210));
    FillRect(dc, 0, kHeight - 40, kWidth, kHeight, RGB(32, 32, 40)); // task bar
    for (int i = 0; i < 12; ++i)
        FillRect(dc, 8 + i * 52, kHeight - 34, 48 + i * 52, kHeight - 6, RGB(60 + i * 12, 90, 140 - i * 6));
    for (int i = 0; i < 8; ++i) // desktop icons
        FillRect(dc, 20, 20 + i * 90, 68, 68 + i * 90, RGB(200 - i * 15, 160, 60 + i * 20));
    Window(dc, RECT{100, 40, 1000, 700}, RGB(30, 80, 160), L"report.txt - Editor", L"Courier New", 14, 11);
    Window(dc, RECT{760, 300, 1860, 1020}, RGB(40, 120, 70), L"Mail", L"Tahoma", 13, 23);
    Photograph(dc, 1040, 340, 780, 440);
    Window(dc, RECT{1100, 30, 1880, 280}, RGB(140, 60, 60), L"Settings", L"MS Shell Dlg", 16, 37);
    for (int i = 0; i < 6; ++i) // flat buttons in the settings window
        FillRect(dc, 1120 + i * 120, 230, 1220 + i * 120, 262, RGB(225, 225, 230));
}

// The bitmap's pixels as a binary PPM (P6), top row first.
bool WritePpm(HBITMAP bitmap, const std::wstring& path) {
    BITMAPINFO bi = topDownInfo(kWidth, kHeight);
    std::vector<uint32_t> bits(static_cast<size_t>(kWidth) * kHeight);
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, kHeight, bits.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != kHeight)
        return false;
    std::string data = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
    const size_t header = data.size();
    data.resize(header + bits.size() * 3);
    for (size_t i = 0; i < bits.size(); ++i) {
        data[header + i * 3 + 0] = static_cast<char>(bits[i] >> 16 & 0xFF);
        data[header + i * 3 + 1] = static_cast<char>(bits[i] >> 8 & 0xFF);
        data[header + i * 3 + 2] = static_cast<char>(bits[i] & 0xFF);
    }
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                    written == data.size();
    ::CloseHandle(file);
    return ok;
}

// A bitmap compatible with the screen holding the pixels of a binary PPM (P6, maxval 255, no comments).
platform::UniqueBitmap ReadPpm(const std::wstring& path) {
    std::ifstream in(narrow(path), std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (!in || magic != "P6" || maxValue != 255 || width <= 0 || height <= 0)
        return {};
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    if (!in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size())))
        return {};
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<uint32_t>(rgb[i * 3]) << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2];
    const platform::WindowDcScope screen(nullptr);
    platform::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    const BITMAPINFO bi = topDownInfo(width, height);
    if (!bitmap || ::SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), bits.data(), &bi,
                               DIB_RGB_COLORS) != height)
        return {};
    return bitmap;
}

// The PNG as Save wrote it before the program had its own writer: through GDI+'s PNG encoder, GDI+ started
// and shut down around it. Kept here only, to measure against.
bool SaveWithGdiplus(HBITMAP picture, const std::wstring& path) {
    platform::CImage image(picture);
    const auto encoders = image.Encoders();
    if (!encoders)
        return false;
    for (const platform::ImageEncoder& encoder : *encoders) {
        if (encoder.mimeType != L"image/png")
            continue;
        const auto create = platform::BoundShlwapi().SHCreateStreamOnFileEx;
        IStream* opened = nullptr;
        if (!create || FAILED(create(path.c_str(), STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE,
                                     FILE_ATTRIBUTE_NORMAL, TRUE, nullptr, &opened)))
            return false;
        const platform::UniqueStream stream(opened);
        return image.Save(stream.get(), encoder);
    }
    return false;
}

// One save from a missing target; negative when the save did not write the file.
double TimedSave(HBITMAP picture, const std::wstring& path) {
    ::DeleteFileW(path.c_str());
    const Stopwatch saving;
    const panel::SaveOutcome outcome = panel::SavePictureFile(picture, path);
    const double ms = saving.ms();
    if (outcome != panel::SaveOutcome::Saved) {
        std::fprintf(stderr, "saving %s failed (outcome %d)\n", narrow(path).c_str(),
                     static_cast<int>(outcome));
        return -1;
    }
    return ms;
}

double TimedGdiplusSave(HBITMAP picture, const std::wstring& path) {
    ::DeleteFileW(path.c_str());
    const Stopwatch saving;
    const bool saved = SaveWithGdiplus(picture, path);
    const double ms = saving.ms();
    if (!saved) {
        std::fprintf(stderr, "saving %s through GDI+ failed\n", narrow(path).c_str());
        return -1;
    }
    return ms;
}

long long FileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc == 3 || argc == 4 ? _wtoi(argv[2]) : 0;
    if (rounds < 1) {
        std::fprintf(stderr,
                     "usage: bench_save_probe.exe FOLDER ROUNDS [PICTURE.ppm]\n"
                     "  times ROUNDS saves of the busy-screen picture (written to FOLDER\\in.ppm) or of\n"
                     "  PICTURE.ppm as PNG (the program's and GDI+'s), BMP and GIF\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring ppm = folder + L"\\in.ppm", png = folder + L"\\vantrel.png",
                       gdiplus = folder + L"\\gdiplus.png", bmp = folder + L"\\vantrel.bmp",
                       gif = folder + L"\\vantrel.gif";

    platform::UniqueBitmap owned;
    if (argc == 4) {
        owned = ReadPpm(argv[3]);
        if (!owned) {
            std::fprintf(stderr, "could not read %s into a bitmap\n", narrow(argv[3]).c_str());
            return 1;
        }
    } else {
        const platform::WindowDcScope screen(nullptr);
        owned.reset(::CreateCompatibleBitmap(screen.get(), kWidth, kHeight));
        const platform::UniqueDc dc(::CreateCompatibleDC(screen.get()));
        if (!owned || !dc) {
            std::fprintf(stderr, "could not make a %dx%d bitmap compatible with the screen\n", kWidth,
                         kHeight);
            return 1;
        }
        const platform::SelectScope select(dc.get(), owned.get());
        Paint(dc.get());
        ::GdiFlush();
    }
    HBITMAP picture = owned.get();
    BITMAP info{};
    ::GetObjectW(picture, sizeof(info), &info);
    std::printf("picture=%ldx%ld, %d bits a pixel\n", info.bmWidth, info.bmHeight, info.bmBitsPixel);
    if (argc == 3 && !WritePpm(picture, ppm)) {
        std::fprintf(stderr, "could not write %s\n", narrow(ppm).c_str());
        return 1;
    }

    // The first round is the warm-up.
    for (int i = 0; i <= rounds; ++i) {
        const double pngMs = TimedSave(picture, png), gdiplusMs = TimedGdiplusSave(picture, gdiplus),
                     bmpMs = TimedSave(picture, bmp), gifMs = TimedSave(picture, gif);
        if (pngMs < 0 || gdiplusMs < 0 || bmpMs < 0 || gifMs < 0)
            return 1;
        if (i > 0)
            std::printf("png_ms=%.2f\ngdiplus_png_ms=%.2f\nbmp_ms=%.2f\ngif_ms=%.2f\n", pngMs, gdiplusMs,
                        bmpMs, gifMs);
    }
    std::printf("png_bytes=%lld\ngdiplus_png_bytes=%lld\nbmp_bytes=%lld\ngif_bytes=%lld\n", FileBytes(png),
                FileBytes(gdiplus), FileBytes(bmp), FileBytes(gif));
    std::fflush(stdout);
    return 0;
}
