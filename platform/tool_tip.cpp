#include "platform/tool_tip.h"

#include "platform/dpi.h"
#include "platform/rect_win.h"
#include "platform/unique_handle.h"

#include <cstddef>

namespace platform {

// The records' colours are drawn as COLORREFs.
static_assert(TipColour(1, 2, 3) == static_cast<int>(RGB(1, 2, 3)));
static_assert(TipColour(255, 255, 255) == static_cast<int>(RGB(255, 255, 255)));

namespace {

// A tool record up to and including lParam (44 bytes in a 32-bit build): the fields this control uses.
constexpr UINT kToolInfoSize = static_cast<UINT>(offsetof(TOOLINFOW, lParam) + sizeof(LPARAM));

int DisplayBitsPerPixel() {
    WindowDcScope screen(nullptr);
    if (!screen.get())
        return 32;
    return ::GetDeviceCaps(screen.get(), BITSPIXEL) * ::GetDeviceCaps(screen.get(), PLANES);
}

bool HighContrastOn() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof(hc);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) &&
           (hc.dwFlags & HCF_HIGHCONTRASTON);
}

TRIVERTEX Vertex(LONG x, LONG y, COLORREF colour) noexcept {
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
    return v;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    // ExtTextOut with an opaque rectangle fills without a brush to create and free.
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

} // namespace

CToolTipCtrlEx::~CToolTipCtrlEx() {
    // The window goes with the object whose procedure it calls into.
    if (HWND wnd = m_wnd) {
        UnsubclassWindow();
        ::DestroyWindow(wnd);
    }
}

bool CToolTipCtrlEx::Create(HWND owner, DWORD style) {
    if (m_wnd)
        return false;
    HWND wnd =
        ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!wnd)
        return false;
    if (!SubclassWindow(wnd)) {
        ::DestroyWindow(wnd);
        return false;
    }
    m_dpi = WindowDpi(owner);
    LoadFonts();
    if (!IsBalloon()) {
        // The control gives itself a border when it is created; the tip draws its own instead.
        ::SetWindowLongW(wnd, GWL_STYLE, ::GetWindowLongW(wnd, GWL_STYLE) & ~WS_BORDER);
        ::SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

void CToolTipCtrlEx::Activate(bool active) {
    if (m_wnd)
        ::SendMessageW(m_wnd, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

void CToolTipCtrlEx::SetParams(const ToolTipParams& params) {
    m_params = params;
}

void CToolTipCtrlEx::SetStyledLook(const ToolTipParams& styled) {
    m_styledLook = styled;
}

bool CToolTipCtrlEx::AddTool(HWND tool, const std::wstring& label) {
    if (!m_wnd || !tool)
        return false;
    TOOLINFOW info{};
    info.cbSize = kToolInfoSize;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(label.c_str());
    if (!::SendMessageW(m_wnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)))
        return false;
    m_tools.push_back({tool, label});
    return true;
}

void CToolTipCtrlEx::RelayEvent(const MSG& msg) {
    if (m_wnd)
        ::SendMessageW(m_wnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void CToolTipCtrlEx::Pop() {
    if (m_wnd)
        ::SendMessageW(m_wnd, TTM_POP, 0, 0);
}

bool CToolTipCtrlEx::ReflectNotify(const NMHDR& header, LRESULT& result) {
    if (!m_wnd || header.hwndFrom != m_wnd)
        return false;
    switch (header.code) {
    case TTN_SHOW: return OnShow(header, result);
    case TTN_POP: m_description.clear(); return false;
    }
    return false;
}

void CToolTipCtrlEx::SetTipDescription(const std::wstring& description) {
    m_description = ExpandTabs(description);
}

// The fonts are made again at the next show.
void CToolTipCtrlEx::SetDpi(int dpi) {
    if (dpi > 0)
        m_dpi = dpi;
}

// Takes the look, measures label and description, and sizes, shapes and places the tip by the pointer
// inside the work area of the pointer's monitor. The answer TRUE tells the control to keep that size and
// place rather than its own.
bool CToolTipCtrlEx::OnShow(const NMHDR& header, LRESULT& result) {
    if (!m_wnd || IsBalloon())
        return false;
    if (m_fontDpi != m_dpi)
        LoadFonts();
    m_look = LookAtShow(m_params, m_styledLook, DisplayBitsPerPixel(), HighContrastOn());
    m_label = LabelOf(reinterpret_cast<HWND>(header.idFrom));
    const bool described = m_look.drawDescription && !m_description.empty();
    m_boldLabel = described && m_look.boldLabel;

    Size icon;
    if (m_look.drawIcon) {
        const SIZE queried = QueryIconSize(m_dpi);
        icon = {queried.cx, queried.cy};
    }
    Size label, description;
    m_lines.clear();
    m_shownDescription = described ? m_description : std::wstring();
    {
        WindowDcScope dc(m_wnd);
        if (!dc.get())
            return false;
        label = MeasureLabel(dc.get());
        if (described)
            description = MeasureDescription(dc.get());
    }
    m_layout = LayoutTip(m_look, icon, label, description, m_dpi);

    POINT cursor{};
    ::GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    // The arrow's hot spot is its tip: the tip goes below the arrow, about two thirds down its cell.
    const int below = SystemMetricAt(SM_CYCURSOR, m_dpi) * 2 / 3;
    const Rect placed = PlaceTip(cursor.x, cursor.y, m_layout.size,
                                 Rect{work.left, work.top, work.right, work.bottom}, below);
    ::SetWindowPos(m_wnd, nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyShape();
    ::InvalidateRect(m_wnd, nullptr, FALSE);
    result = TRUE;
    return true;
}

LRESULT CToolTipCtrlEx::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (IsBalloon())
        return Default(msg, wp, lp);
    switch (msg) {
    case WM_NCCALCSIZE: return 0; // the client area is the whole window: the tip draws its own border
    case WM_NCPAINT: return 0;
    case WM_ERASEBKGND: return TRUE; // painting covers every pixel, so erasing first would only flicker
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wp)); return 0;
    case WM_SHOWWINDOW: OnShowWindow(wp != FALSE); break;
    // Tips are drawn at their owner's scale, which the owner hands on (SetDpi): a tip that shows on a
    // monitor of another scale must not change the scale the next tip is measured at. Not resized either:
    // each tip is measured and placed when it shows.
    case WM_DPICHANGED: return 0;
    }
    return Default(msg, wp, lp);
}

bool CToolTipCtrlEx::IsBalloon() const {
    return m_wnd && (::GetWindowLongW(m_wnd, GWL_STYLE) & TTS_BALLOON);
}

// The status bar's font at the tips' scale reads well at small sizes; the bold twin sets a label apart from
// its description. The twin is drawn without smoothing: at this size smoothing thins a synthesised bold (a
// Japanese face seldom has a real one) back to the look of the regular weight.
void CToolTipCtrlEx::LoadFonts() {
    LOGFONTW font = NonClientMetricsAt(m_dpi).lfStatusFont;
    m_fontDpi = m_dpi;
    m_font.reset(::CreateFontIndirectW(&font));
    font.lfWeight = FW_BOLD;
    font.lfQuality = NONANTIALIASED_QUALITY;
    m_boldFont.reset(::CreateFontIndirectW(&font));
}

std::wstring CToolTipCtrlEx::LabelOf(HWND tool) const {
    for (const Tool& t : m_tools)
        if (t.window == tool)
            return t.label;
    return {};
}

Size CToolTipCtrlEx::MeasureLabel(HDC dc) {
    SelectScope font(dc, m_boldLabel ? m_boldFont.get() : m_font.get());
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, m_label.c_str(), static_cast<int>(m_label.size()), &extent);
    return {static_cast<int>(extent.cx), static_cast<int>(tm.tmHeight)};
}

// The description is wrapped here rather than by DrawText, which would not break Japanese text that has
// no spaces.
Size CToolTipCtrlEx::MeasureDescription(HDC dc) {
    SelectScope font(dc, m_font.get());
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    m_lineHeight = tm.tmHeight;
    const std::wstring& text = m_shownDescription;
    std::vector<int> ends(text.size());
    SIZE total{};
    ::GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr, ends.data(), &total);
    std::vector<int> advances(ends.size());
    for (std::size_t i = 0; i < ends.size(); ++i)
        advances[i] = ends[i] - (i ? ends[i - 1] : 0);
    m_lines = WrapText(text, advances, Scale(m_look.maxDescWidth, m_dpi));
    return WrappedSize(m_lines, m_lineHeight);
}

// A rounded tip is cut to its shape, so what lies beneath shows at its corners; a square one needs no
// region.
void CToolTipCtrlEx::ApplyShape() {
    if (!m_look.roundedCorners) {
        ::SetWindowRgn(m_wnd, nullptr, TRUE);
        return;
    }
    UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
    for (const Rect& row : TipShape(m_layout.size, true, m_dpi)) {
        UniqueRegion part(::CreateRectRgn(row.left, row.top, row.right, row.bottom));
        if (shape && part)
            ::CombineRgn(shape.get(), shape.get(), part.get(), RGN_OR);
    }
    // Once set, the region belongs to the window.
    if (shape && ::SetWindowRgn(m_wnd, shape.get(), TRUE))
        (void)shape.release();
}

void CToolTipCtrlEx::OnPaint() {
    PaintScope paint(m_wnd);
    Paint(paint.dc());
}

void CToolTipCtrlEx::OnShowWindow(bool shown) {
    if (!shown)
        m_description.clear();
}

// Draws the whole tip into a bitmap first and copies it to the screen at once, so it never flickers.
void CToolTipCtrlEx::Paint(HDC target) {
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    const Size size{client.right, client.bottom};
    if (!target || size.cx <= 0 || size.cy <= 0)
        return;
    UniqueDc memory(::CreateCompatibleDC(target));
    UniqueBitmap canvas(::CreateCompatibleBitmap(target, size.cx, size.cy));
    if (!memory || !canvas) {
        DrawTip(target, size);
        return;
    }
    SelectScope select(memory.get(), canvas.get());
    DrawTip(memory.get(), size);
    ::BitBlt(target, 0, 0, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
}

void CToolTipCtrlEx::DrawTip(HDC dc, Size size) {
    const TipColours colours =
        ResolveColours(m_look, ::GetSysColor(COLOR_INFOBK), ::GetSysColor(COLOR_INFOTEXT));
    FillBackground(dc, size, colours);
    for (const Rect& piece : TipBorder(size, m_look.roundedCorners, m_dpi))
        FillSolid(dc, ToRECT(piece), colours.border);
    if (m_look.drawIcon && m_layout.icon.Width() > 0)
        DrawTipIcon(dc, ToRECT(m_layout.icon));

    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, colours.text);
    {
        SelectScope font(dc, m_boldLabel ? m_boldFont.get() : m_font.get());
        RECT label = ToRECT(m_layout.label);
        ::DrawTextW(dc, m_label.c_str(), static_cast<int>(m_label.size()), &label,
                    DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP | DT_NOCLIP);
    }
    if (m_layout.separator.Height() > 0)
        FillSolid(dc, ToRECT(m_layout.separator), colours.border);
    if (m_layout.description.Height() > 0) {
        SelectScope font(dc, m_font.get());
        int y = m_layout.description.top;
        for (const TextLine& line : m_lines) {
            ::ExtTextOutW(dc, m_layout.description.left, y, 0, nullptr,
                          m_shownDescription.c_str() + line.start, static_cast<UINT>(line.length), nullptr);
            y += m_lineHeight;
        }
    }
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

void CToolTipCtrlEx::FillBackground(HDC dc, Size size, const TipColours& colours) const {
    const RECT all{0, 0, size.cx, size.cy};
    if (!colours.gradient) {
        FillSolid(dc, all, colours.fill);
        return;
    }
    const GradientStart start = GradientStartFor(m_look.gradientAngle);
    const bool reversed = start == GradientStart::Bottom || start == GradientStart::Right;
    const bool vertical = start == GradientStart::Top || start == GradientStart::Bottom;
    TRIVERTEX vertices[2] = {Vertex(0, 0, reversed ? colours.fillGradient : colours.fill),
                             Vertex(size.cx, size.cy, reversed ? colours.fill : colours.fillGradient)};
    GRADIENT_RECT mesh{0, 1};
    if (!::GdiGradientFill(dc, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H))
        FillSolid(dc, all, colours.fill);
}

} // namespace platform
