#include "panel/opa_controls.h"

#include "panel/glass_logic.h"
#include "platform/buffered_paint.h"
#include "platform/dialog.h"
#include "platform/dib.h"
#include "platform/dpi_scale.h"
#include "platform/late_bound.h"
#include "platform/rect_win.h"
#include "platform/unique_handle.h"

#include <vsstyle.h>
#include <vssym32.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr UINT kLabelFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

// How much the label covers each pixel of a width x height area, drawn white on black with the same
// font and rectangle into a buffer of its own.
std::vector<std::uint8_t> LabelCoverage(HDC like, HFONT font, const std::wstring& text, RECT rect, int width,
                                        int height) {
    std::vector<std::uint8_t> coverage(static_cast<size_t>(width) * height, 0);
    std::uint32_t* bits = nullptr;
    platform::UniqueBitmap mask = platform::CreateTopDownDib(like, width, height, &bits);
    platform::UniqueDc dc(::CreateCompatibleDC(like));
    if (!mask || !dc || !bits)
        return coverage;
    platform::SelectScope selectMask(dc.get(), mask.get());
    platform::SelectScope selectFont(dc.get(), font);
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), RGB(255, 255, 255));
    ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect, kLabelFormat);
    ::GdiFlush();
    for (size_t i = 0; i < coverage.size(); ++i) {
        const std::uint32_t p = bits[i];
        coverage[i] = static_cast<std::uint8_t>(std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}));
    }
    return coverage;
}

} // namespace

LRESULT COpaControl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    }
    return Default(msg, wp, lp);
}

// Called to paint the control: the system draws it into a buffer over the control's own window DC,
// the subclass finishes it, and the buffer is copied to the screen as the paint ends. Where no buffer can be
// had (no visual styles) the control paints itself as the system's.
void COpaControl::OnPaint() {
    platform::WindowDcScope window(m_wnd);
    RECT r{};
    ::GetClientRect(m_wnd, &r);
    {
        platform::BufferedPaint buffer(window.get(), r);
        if (buffer) {
            platform::PaintScope paint(m_wnd);
            ::SendMessageW(m_wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(buffer.dc()), PRF_CLIENT);
            FinishPaint(buffer, r);
            return;
        }
    }
    Default(WM_PAINT, 0, 0);
}

// The face inside the edge band becomes opaque, so that face and caption are not shown as glass; the band
// keeps the alpha of the button's own drawing.
void COpaButton::FinishPaint(platform::BufferedPaint& buffer, const RECT& r) {
    const int band = panel::OpaqueBandAt(m_dpi);
    buffer.SetAlpha(RECT{r.left + band, r.top + band, r.right - band, r.bottom - band}, 255);
}

// The label is drawn again over the system's drawing as composited text with a glow, which stays
// readable on glass.
void COpaCheck::FinishPaint(platform::BufferedPaint& buffer, const RECT& r) {
    HDC dc = buffer.dc();
    const std::wstring text = platform::WindowText(m_wnd);
    if (text.empty())
        return;
    const platform::UniqueTheme theme = platform::OpenTheme(m_wnd, L"Button");
    const platform::UxthemeDll& uxtheme = platform::BoundUxtheme();
    // The label is drawn again in the font the control draws it in, which the panel gives it for its scale.
    // Borrowed from the control (or the stock font): a font may be selected into several DCs at once.
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_wnd, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof(lf), &lf);
    platform::SelectScope selectFont(dc, font);
    const int glow = panel::GlowSizeAt(-lf.lfHeight, m_dpi);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const platform::Rect label = panel::CheckLabelRect(platform::ToRect(r), extent.cx, extent.cy, m_dpi);
    RECT labelRect = platform::ToRECT(label);

    // The system's drawing leaves no alpha under the label; anything there afterwards was written by
    // composited text.
    const platform::PixelView view = buffer.View();
    if (view.pixels)
        platform::SetAlpha(view, label, 0);
    if (theme && uxtheme.DrawThemeTextEx) {
        DTTOPTS options{};
        options.dwSize = sizeof(options);
        options.dwFlags = DTT_COMPOSITED | DTT_GLOWSIZE;
        options.iGlowSize = glow;
        uxtheme.DrawThemeTextEx(theme.get(), dc, BP_CHECKBOX, 0, text.c_str(), static_cast<int>(text.size()),
                                kLabelFormat, &labelRect, &options);
    }
    if (!view.pixels || platform::AnyAlpha(view, label))
        return;

    // No theme, or one that draws text without composition or glow: the label is drawn with its glow
    // here, right of the box so the halo does not cover it.
    const int from = std::min(label.left - platform::Scale(2, m_dpi), view.width);
    platform::PixelView labelArea{view.pixels + from, view.width - from, view.height, view.stride};
    RECT maskRect{labelRect.left - from, labelRect.top, labelRect.right - from, labelRect.bottom};
    const std::vector<std::uint8_t> coverage =
        LabelCoverage(dc, font, text, maskRect, labelArea.width, labelArea.height);
    COLORREF colour = ::GetSysColor(COLOR_BTNTEXT);
    if (theme && uxtheme.GetThemeColor)
        uxtheme.GetThemeColor(theme.get(), BP_CHECKBOX, CBS_UNCHECKEDNORMAL, TMT_TEXTCOLOR, &colour);
    const std::uint32_t rgb = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    panel::DrawGlowingText(labelArea, coverage.data(), rgb, glow);
}
