#include "frame/vantrel_dlg.h"

#include "about/about_dlg.h"
#include "frame/dpi_change.h"
#include "frame/frame_logic.h"
#include "frame/panel_placement.h"
#include "platform/dpi.h"
#include "platform/dwm.h"
#include "platform/late_bound.h"
#include "platform/rect_win.h"
#include "platform/unique_handle.h"
#include "res/resource.h"

static_assert(frame::kHtLeft == HTLEFT && frame::kHtBottomRight == HTBOTTOMRIGHT &&
              frame::kHtBorder == HTBORDER);
// The About command keeps clear of the system's commands and of the bits the system keeps.
static_assert((frame::kAboutCommand & ~frame::kSysCommandMask) == 0 && frame::kAboutCommand < SC_SIZE);

CVantrelDlg::CVantrelDlg() noexcept
    : CDialogEx(IDD_VANTREL_DIALOG, nullptr),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_settlesPictureLook(frame::SettlesPictureLookWhenShown(platform::WineVersion())),
      m_dlgOperation(*this) {}

BOOL CVantrelDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    AppendAboutItem();
    ::SendMessageW(m_wnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // The panel is docked for the first time when the frame is centred, right after this hook.
    m_dlgOperation.Create();
    ::ShowWindow(m_dlgOperation.GetSafeHwnd(), SW_SHOW);

    // The template makes the frame layered; the key colour makes its client area see-through.
    ShowSeeThrough();
    UpdateTitle();
    return TRUE;
}

// Adds a separator and the About item to the window menu; a missing or empty text adds neither.
void CVantrelDlg::AppendAboutItem() {
    HMENU menu = ::GetSystemMenu(m_wnd, FALSE);
    if (!menu)
        return;
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0)
        return;
    const std::wstring item(text, static_cast<size_t>(length));
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, frame::kAboutCommand, item.c_str());
}

void CVantrelDlg::UpdateTitle() {
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    ::SetWindowTextW(m_wnd,
                     frame::FormatCaption(client.right - client.left, client.bottom - client.top).c_str());
}

LRESULT CVantrelDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(wp), lp); return 0;
    case WM_PAINT:
        if (::IsIconic(m_wnd)) {
            OnPaint();
            return 0;
        }
        break;
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_MOVE: OnMove(lp); return 0;
    case WM_SIZE: OnSize(static_cast<UINT>(wp), lp); return 0;
    case WM_NCHITTEST: return OnNcHitTest(lp);
    case WM_DPICHANGED:
        if (lp)
            OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case platform::kWmGetDpiScaledSize:
        return lp && OnGetDpiScaledSize(LOWORD(wp), *reinterpret_cast<SIZE*>(lp)) ? TRUE : FALSE;
    case WM_ERASEBKGND:
        if (OnEraseBkgnd(reinterpret_cast<HDC>(wp)))
            return TRUE;
        break;
    case WM_CTLCOLORDLG:
        if (m_background)
            return reinterpret_cast<LRESULT>(m_background.get());
        break;
    }
    return CDialogEx::WindowProc(msg, wp, lp);
}

// Called for window-menu commands: 0x0010 to 0x001F open the About box, the rest work as usual.
void CVantrelDlg::OnSysCommand(UINT command, LPARAM lp) {
    if (!frame::IsAboutCommand(command)) {
        Default(WM_SYSCOMMAND, command, lp);
        return;
    }
    CAboutDlg about;
    about.DoModal();
}

// Called to paint the minimised frame: the application icon centred in the client area.
void CVantrelDlg::OnPaint() {
    platform::PaintScope paint(m_wnd);
    ::SendMessageW(m_wnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    const int x = frame::IconOffset(client.right - client.left, ::GetSystemMetrics(SM_CXICON));
    const int y = frame::IconOffset(client.bottom - client.top, ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(paint.dc(), x, y, m_hIcon);
}

// Called after every move: the panel follows.
void CVantrelDlg::OnMove(LPARAM lp) {
    Default(WM_MOVE, 0, lp);
    if (PanelExists())
        PlacePanel();
}

// Called after every size change, minimising included: the panel follows and the caption shows
// the new client size.
void CVantrelDlg::OnSize(UINT type, LPARAM lp) {
    Default(WM_SIZE, type, lp);
    if (PanelExists()) {
        PlacePanel();
        UpdateTitle();
    }
}

// While a picture is held the borders answer HTBORDER, so they cannot resize the frame; the
// caption still moves it.
LRESULT CVantrelDlg::OnNcHitTest(LPARAM lp) {
    const LRESULT answer = Default(WM_NCHITTEST, 0, lp);
    return static_cast<LRESULT>(frame::MapHitTest(answer, m_dlgOperation.HoldsPicture()));
}

// Called when the frame's display scale changes, as it crosses to a monitor of another scale or its monitor's
// scale is changed: the client area keeps its size in pixels, and with it the region the frame marks and
// the caption; only the frame around it takes the new scale. The move docks the panel.
void CVantrelDlg::OnDpiChanged(int dpi, const RECT& suggested) {
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    ::MapWindowPoints(m_wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const platform::Rect margins = FrameMarginsAt(dpi);
    const platform::Rect window =
        frame::FrameRectAfterDpiChange(platform::ToRect(client), margins, platform::ToRect(suggested));
    const platform::Rect kept{window.left + margins.left, window.top + margins.top,
                              window.right - margins.right, window.bottom - margins.bottom};
    platform::MoveWindowAroundClient(m_wnd, window, kept);
}

// Called before a change of scale (Windows 10), so that the system suggests a window that keeps the client
// area's size.
bool CVantrelDlg::OnGetDpiScaledSize(int dpi, SIZE& size) {
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    const platform::Rect margins = FrameMarginsAt(dpi);
    size.cx = margins.left + client.right + margins.right;
    size.cy = margins.top + client.bottom + margins.bottom;
    return true;
}

platform::Rect CVantrelDlg::FrameMarginsAt(int dpi) const {
    return platform::NonClientMargins(static_cast<DWORD>(::GetWindowLongW(m_wnd, GWL_STYLE)),
                                      static_cast<DWORD>(::GetWindowLongW(m_wnd, GWL_EXSTYLE)), dpi);
}

// Called to erase the background: the picture at the top-left corner, the brush around it, so nothing is
// drawn twice. Before either is set the dialog erases as usual.
bool CVantrelDlg::OnEraseBkgnd(HDC dc) {
    if (!m_background && !m_picture)
        return false;
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    BITMAP picture{};
    if (m_picture && ::GetObjectW(m_picture, sizeof(picture), &picture)) {
        platform::UniqueDc memory(::CreateCompatibleDC(dc));
        platform::SelectScope select(memory.get(), m_picture);
        ::BitBlt(dc, 0, 0, picture.bmWidth, picture.bmHeight, memory.get(), 0, 0, SRCCOPY);
    }
    if (!m_background)
        return true;
    for (const platform::Rect& part :
         frame::AroundPicture(client.right, client.bottom, picture.bmWidth, picture.bmHeight)) {
        const RECT r = platform::ToRECT(part);
        ::FillRect(dc, &r, m_background.get());
    }
    return true;
}

bool CVantrelDlg::PanelExists() const {
    return ::IsWindow(m_wnd) && ::IsWindow(m_dlgOperation.GetSafeHwnd());
}

bool CVantrelDlg::DestroyWindow() {
    m_dlgOperation.DestroyWindow();
    return CDialogEx::DestroyWindow();
}

namespace {

using platform::ToRect;

// What the user sees of a window: the window manager's extended frame bounds where it has them
// (they leave out invisible resize borders), else the window rectangle.
platform::Rect GetVisibleBounds(HWND wnd) {
    RECT bounds{};
    if (!platform::GetExtendedFrameBounds(wnd, bounds))
        ::GetWindowRect(wnd, &bounds);
    return ToRect(bounds);
}

} // namespace

// Docks the panel beside the frame on the side its Right Pos box chooses; the panel keeps its size.
void CVantrelDlg::PlacePanel() {
    HWND panel = m_dlgOperation.GetSafeHwnd();
    const platform::Rect frameBounds = GetVisibleBounds(m_wnd);
    const platform::Rect panelBounds = GetVisibleBounds(panel);
    RECT window{};
    ::GetWindowRect(panel, &window);
    const frame::Placement p =
        frame::PlacePanelBeside(frameBounds, panelBounds, ToRect(window), m_dlgOperation.DocksRight());
    ::MoveWindow(panel, p.x, p.y, p.width, p.height, TRUE);
}

// Sets what the frame's background shows, the picture borrowed: the look's switch repaints once.
void CVantrelDlg::SetBackground(COLORREF colour, HBITMAP borrowed) {
    m_background.reset(::CreateSolidBrush(colour));
    m_picture = borrowed;
}

// Repaints a look change at once, the frame too: a window whose WS_EX_LAYERED changed is drawn anew,
// caption included.
void CVantrelDlg::RepaintLook() {
    ::RedrawWindow(m_wnd, nullptr, nullptr,
                   RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Rewrites the extended style only when it changes; no frame-change notification follows.
void CVantrelDlg::ChangeExStyle(DWORD remove, DWORD add) {
    const DWORD old = static_cast<DWORD>(::GetWindowLongW(m_wnd, GWL_EXSTYLE));
    const DWORD wanted = (old & ~remove) | add;
    if (wanted != old)
        ::SetWindowLongW(m_wnd, GWL_EXSTYLE, static_cast<LONG>(wanted));
}

// Everything is in place before the one repaint, so the picture gives way to the key colour and never to
// a white frame.
void CVantrelDlg::ShowSeeThrough() {
    SetBackground(kKeyColour, nullptr);
    ChangeExStyle(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_wnd, kKeyColour, 0, LWA_COLORKEY);
    RepaintLook();
}

void CVantrelDlg::ShowPicture(HBITMAP borrowed) {
    ChangeExStyle(WS_EX_LAYERED, 0);
    SetBackground(RGB(255, 255, 255), borrowed);
    RepaintLook();
}

// Under Wine the frame, hidden when the picture look was applied, comes back still keyed and shows nothing
// of its client area: entering the keyed state and leaving it again while the frame is visible drops the
// key. Windows applied the look already and is left alone.
void CVantrelDlg::SettlePictureLook() {
    if (!m_settlesPictureLook)
        return;
    ChangeExStyle(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_wnd, kKeyColour, 0, LWA_COLORKEY);
    ChangeExStyle(WS_EX_LAYERED, 0);
    RepaintLook();
}
