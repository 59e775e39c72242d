// The baseline of the quick-shot benchmark: a program that does nothing but what a quick shot must do at
// least, when its hotkey (Ctrl+Shift+F11) comes: copy a fixed rectangle of the screen into a bitmap and save
// it as PNG with GDI+ (started once, at the start) into a folder, as b_1.png, b_2.png, ...
//
//   bench_quick_baseline.exe X Y WIDTH HEIGHT FOLDER
//
// It has one hidden top-level window (class VantrelBenchQuickBaseline); WM_CLOSE ends the program.
#include "capture_blit.h"
#include "platform/late_bound.h"

#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kClassName[] = L"VantrelBenchQuickBaseline";
constexpr int kHotkeyId = 1;

RECT g_area{};
std::wstring g_folder;
CLSID g_png{};
int g_saved = 0;

bool FindPngEncoder() {
    const platform::GdiplusDll& api = platform::BoundGdiplus();
    UINT count = 0, bytes = 0;
    if (api.GdipGetImageEncodersSize(&count, &bytes) != 0 || bytes == 0)
        return false;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<platform::gdiplus::ImageCodecInfo*>(buffer.data());
    if (api.GdipGetImageEncoders(count, bytes, codecs) != 0)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].mimeType && std::wstring(codecs[i].mimeType) == L"image/png") {
            g_png = codecs[i].clsid;
            return true;
        }
    return false;
}

void Shoot() {
    HBITMAP copy = bench::CopyScreenArea(g_area.left, g_area.top, g_area.right - g_area.left,
                                         g_area.bottom - g_area.top);
    if (!copy)
        return;
    const platform::GdiplusDll& api = platform::BoundGdiplus();
    platform::gdiplus::Image* image = nullptr;
    if (api.GdipCreateBitmapFromHBITMAP(copy, nullptr, &image) == 0) {
        const std::wstring path = g_folder + L"\\b_" + std::to_wstring(++g_saved) + L".png";
        IStream* stream = nullptr;
        if (SUCCEEDED(platform::BoundShlwapi().SHCreateStreamOnFileEx(
                path.c_str(), STGM_WRITE | STGM_CREATE | STGM_SHARE_EXCLUSIVE, FILE_ATTRIBUTE_NORMAL, TRUE,
                nullptr, &stream))) {
            api.GdipSaveImageToStream(image, stream, &g_png, nullptr);
            stream->Release();
        }
        api.GdipDisposeImage(image);
    }
    ::DeleteObject(copy);
}

LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_HOTKEY:
        if (wp == kHotkeyId)
            Shoot();
        return 0;
    case WM_CLOSE: ::DestroyWindow(wnd); return 0;
    case WM_DESTROY:
        ::UnregisterHotKey(wnd, kHotkeyId);
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 6)
        return 2;
    const int x = _wtoi(argv[1]), y = _wtoi(argv[2]), width = _wtoi(argv[3]), height = _wtoi(argv[4]);
    g_folder = argv[5];
    ::LocalFree(argv);
    if (width <= 0 || height <= 0)
        return 2;
    g_area = RECT{x, y, x + width, y + height};

    const platform::GdiplusDll& api = platform::BoundGdiplus();
    ULONG_PTR token = 0;
    platform::gdiplus::StartupInput input;
    if (!api.Complete() || !platform::BoundShlwapi().Complete() ||
        api.GdiplusStartup(&token, &input, nullptr) != 0 || !FindPngEncoder())
        return 1;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc))
        return 1;
    // Never shown: it must not cover the area it copies.
    HWND wnd = ::CreateWindowExW(0, kClassName, L"Quick baseline", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, instance, nullptr);
    if (!wnd || !::RegisterHotKey(wnd, kHotkeyId, MOD_CONTROL | MOD_SHIFT, VK_F11))
        return 1;

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    api.GdiplusShutdown(token);
    return static_cast<int>(msg.wParam);
}
