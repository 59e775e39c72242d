#include "frame/vantrel_dlg.h"

#include "about/about_dlg.h"
#include "frame/frame_logic.h"
#include "frame/panel_placement.h"
#include "platform/dwm.h"
#include "platform/message_box.h"
#include "platform/rect_win.h"
#include "platform/unique_handle.h"
#include "res/resource.h"

static_assert(frame::kHtLeft == HTLEFT && frame::kHtBottomRight == HTBOTTOMRIGHT &&
              frame::kHtBorder == HTBORDER);
// The About command keeps clear of the system's commands and of the bits the system keeps.
static_assert((frame::kAboutCommand & ~frame::kSysCommandMask) == 0 && frame::kAboutCommand < SC_SIZE);
static_assert(WM_VANTREL_END_WITHOUT_ASKING >= WM_APP && WM_VANTREL_END_WITHOUT_ASKING < 0xC000);

CVantrelDlg::CVantrelDlg() noexcept
    : CDialogEx(IDD_VANTREL_DIALOG, nullptr),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
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
    ::SetLayeredWindowAttributes(m_wnd, kKeyColour, 0, LWA_COLORKEY);
    SetBackgroundColor(kKeyColour);
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
    case WM_ERASEBKGND:
        if (OnEraseBkgnd(reinterpret_cast<HDC>(wp)))
            return TRUE;
        break;
    case WM_CTLCOLORDLG:
        if (m_background)
            return reinterpret_cast<LRESULT>(m_background.get());
        break;
    case WM_VANTREL_END_WITHOUT_ASKING: OnEndWithoutAsking(); return 0;
    }
    return CDialogEx::WindowProc(msg, wp, lp);
}

// Called for Enter on the frame.
void CVantrelDlg::OnOK() {
    if (MayEnd())
        CDialogEx::OnOK();
}

// Called for Esc, Alt+F4 and the window menu's Close.
void CVantrelDlg::OnCancel() {
    if (MayEnd())
        CDialogEx::OnCancel();
}

// A picture that was neither saved nor copied since its capture is lost when the program ends, so the
// user is asked first (No, the default, keeps everything). A second request while the question is up
// changes nothing.
bool CVantrelDlg::MayEnd() {
    if (m_asking)
        return false;
    if (m_endingWithoutAsking || !m_dlgOperation.HoldsUnkeptPicture())
        return true;
    m_asking = true;
    const bool yes = platform::AskYesNo(m_wnd, frame::kUnkeptPictureQuestion);
    m_asking = false;
    return yes;
}

// Called when the debug console, the session or the system goes away: the program ends at once, without
// the question, and a question already up is answered for the user.
void CVantrelDlg::OnEndWithoutAsking() {
    m_endingWithoutAsking = true;
    EndDialog(IDCANCEL);
    if (!m_asking)
        return;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND wnd, LPARAM frame) {
            if (::GetWindow(wnd, GW_OWNER) == reinterpret_cast<HWND>(frame) && ::GetDlgItem(wnd, IDYES))
                ::PostMessageW(wnd, WM_COMMAND, IDYES, 0);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(m_wnd));
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

void CVantrelDlg::SetBackgroundColor(COLORREF colour) {
    m_background.reset(::CreateSolidBrush(colour));
    Repaint();
}

void CVantrelDlg::SetBackgroundImage(HBITMAP borrowed) {
    m_picture = borrowed;
    Repaint();
}

void CVantrelDlg::Repaint() {
    ::InvalidateRect(m_wnd, nullptr, TRUE);
    ::UpdateWindow(m_wnd);
}

// Rewrites the extended style only when it changes; no frame-change notification follows.
void CVantrelDlg::ChangeExStyle(DWORD remove, DWORD add) {
    const DWORD old = static_cast<DWORD>(::GetWindowLongW(m_wnd, GWL_EXSTYLE));
    const DWORD wanted = (old & ~remove) | add;
    if (wanted != old)
        ::SetWindowLongW(m_wnd, GWL_EXSTYLE, static_cast<LONG>(wanted));
}

void CVantrelDlg::ShowSeeThrough() {
    SetBackgroundImage(nullptr);
    ChangeExStyle(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_wnd, kKeyColour, 0, LWA_COLORKEY);
    SetBackgroundColor(kKeyColour);
}

void CVantrelDlg::ShowPicture(HBITMAP borrowed) {
    ChangeExStyle(WS_EX_LAYERED, 0);
    SetBackgroundColor(RGB(255, 255, 255));
    SetBackgroundImage(borrowed);
}

// A platform that keeps a window keyed when WS_EX_LAYERED is removed while the window is hidden
// (Wine does, and then shows nothing of the client area) would leave the picture see-through.
// Entering the keyed state and leaving it again while the frame is visible drops the key
// everywhere; where the removal already took effect this changes nothing that can be seen.
void CVantrelDlg::SettlePictureLook() {
    ChangeExStyle(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_wnd, kKeyColour, 0, LWA_COLORKEY);
    ChangeExStyle(WS_EX_LAYERED, 0);
    ::RedrawWindow(m_wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
