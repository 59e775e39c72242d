#include "frame/vantrel_dlg.h"

#include "about/about_dlg.h"
#include "frame/dpi_change.h"
#include "frame/frame_logic.h"
#include "frame/panel_placement.h"
#include "frame/placement_dlg.h"
#include "frame/remembered_frame.h"
#include "frame/window_below.h"
#include "platform/bitmap_pixels.h"
#include "platform/dpi.h"
#include "platform/dwm.h"
#include "platform/late_bound.h"
#include "platform/monitors.h"
#include "platform/message_box.h"
#include "platform/rect_win.h"
#include "platform/unique_handle.h"
#include "res/resource.h"
#include "settings/settings_dlg.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <new>
#include <string_view>

static_assert(frame::kHtLeft == HTLEFT && frame::kHtBottomRight == HTBOTTOMRIGHT &&
              frame::kHtBorder == HTBORDER);
// The About command keeps clear of the system's commands and of the bits the system keeps.
static_assert((frame::kAboutCommand & ~frame::kSysCommandMask) == 0 && frame::kAboutCommand < SC_SIZE);
static_assert(frame::kVkLeft == VK_LEFT && frame::kVkUp == VK_UP && frame::kVkRight == VK_RIGHT &&
              frame::kVkDown == VK_DOWN);
static_assert(kKeyColour == RGB(frame::kKeyRgb >> 16, (frame::kKeyRgb >> 8) & 0xFF, frame::kKeyRgb & 0xFF));
static_assert(WM_VANTREL_END_WITHOUT_ASKING >= WM_APP && WM_VANTREL_END_WITHOUT_ASKING < 0xC000);
static_assert(WM_VANTREL_HOTKEYS_REFUSED >= WM_APP && WM_VANTREL_HOTKEYS_REFUSED < 0xC000);

CVantrelDlg::CVantrelDlg() noexcept
    : CDialogEx(IDD_VANTREL_DIALOG, nullptr),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_followsWineShapes(frame::FollowsWineShapes(platform::WineVersion())), m_dlgOperation(*this) {}

BOOL CVantrelDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    m_templateClient = {client.right, client.bottom};
    AppendAboutItem();
    AppendWindowMenuItems();
    ::SendMessageW(m_wnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // The frame remembered from the last run opens where it was, and is then not centred; otherwise the
    // panel is docked for the first time when the frame is centred, right after this hook.
    const frame::RestoredFrame remembered = ReadRememberedFrame();
    if (remembered.rightPos)
        m_dlgOperation.SetDocksRight(*remembered.rightPos);
    m_dlgOperation.Create();
    if (remembered.client) {
        MoveClientTo(*remembered.client);
        KeepPlacement();
    }
    ::ShowWindow(m_dlgOperation.GetSafeHwnd(), SW_SHOW);

    // The template makes the frame layered; the key colour makes its client area see-through.
    ShowSeeThrough();
    UpdateTitle();

    // Each hotkey on its own; those another program holds are named once the frame is up.
    m_settings = settings::ReadSettings();
    m_hotkeys.Register(m_wnd, m_settings);
    if (!m_hotkeys.RefusalMessage().empty())
        ::PostMessageW(m_wnd, WM_VANTREL_HOTKEYS_REFUSED, 0, 0);
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

// Appends the frame's own items after the About item, each with its separator where the table asks.
void CVantrelDlg::AppendWindowMenuItems() {
    HMENU menu = ::GetSystemMenu(m_wnd, FALSE);
    if (!menu)
        return;
    for (const frame::WindowMenuItem& item : frame::WindowMenuItems()) {
        if (item.separatorBefore)
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING, item.command, item.text);
    }
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
    case WM_INITMENU: OnInitWindowMenu(); break;
    case WM_ENTERMENULOOP: m_menuOpen = true; break;
    case WM_EXITMENULOOP: m_menuOpen = false; break;
    case WM_HOTKEY:
        if (m_hotkeys.TakePress(wp, lp))
            OnHotkey(wp);
        return 0;
    case WM_TIMER:
        if (m_hotkeys.OnTimer(wp))
            return 0;
        break;
    case WM_VANTREL_HOTKEYS_REFUSED: OnHotkeysRefused(); return 0;
    case WM_INITMENUPOPUP:
        if (HIWORD(lp))
            OnInitWindowMenu();
        break;
    // Logoff, shutdown, or an installer's Restart Manager closing the program (ENDSESSION_CLOSEAPP): the end
    // is not held up, since nobody could answer a question in time.
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        if (wp)
            OnEndSession();
        return 0;
    case WM_VANTREL_END_WITHOUT_ASKING: OnEndWithoutAsking(); return 0;
    }
    return CDialogEx::WindowProc(msg, wp, lp);
}

// Arrows move or size the frame while it is the active window. The dialog manager would take them for
// moving the focus between controls, of which the frame has none.
bool CVantrelDlg::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.hwnd == m_wnd && OnArrowKey(static_cast<UINT>(msg.wParam)))
        return true;
    return CDialogEx::PreTranslateMessage(msg);
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
// the question. A modal run that is up (the question, the About box, the placement dialog, a message, the
// save dialog) or the open window menu runs a loop of its own, which would hold the end until the user closed
// it: the menu closes, the question is answered Yes and every other run is cancelled (a Yes/No box answered
// No).
void CVantrelDlg::OnEndWithoutAsking() {
    m_endingWithoutAsking = true;
    EndDialog(IDCANCEL);
    ::EndMenu();
    const HWND ours[] = {m_wnd, m_dlgOperation.GetSafeHwnd()};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND wnd, LPARAM param) {
            const HWND* ours = reinterpret_cast<const HWND*>(param);
            wchar_t cls[8] = L"";
            if (wnd == ours[0] || wnd == ours[1] || !::IsWindowVisible(wnd) ||
                !::GetClassNameW(wnd, cls, 8) || std::wstring_view(cls) != L"#32770")
                return TRUE;
            const bool question = ::GetWindow(wnd, GW_OWNER) == ours[0] && ::GetDlgItem(wnd, IDYES);
            const int answer = question ? IDYES : ::GetDlgItem(wnd, IDNO) ? IDNO : IDCANCEL;
            ::PostMessageW(wnd, WM_COMMAND, static_cast<WPARAM>(answer), 0);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(ours));
}

// Called when the session ends or the Restart Manager closes the program: the system may end the process
// as soon as this returns, with no window destroyed, so what the program's end would keep is kept now (the
// remembered frame, the clipboard's promised formats), and then the program ends without asking.
void CVantrelDlg::OnEndSession() {
    RememberFrame();
    m_dlgOperation.RenderPromisedFormats();
    OnEndWithoutAsking();
}

// Called for window-menu commands: 0x0010 to 0x001F open the About box, the frame's own items do what
// they say unless they are greyed, the rest work as usual.
void CVantrelDlg::OnSysCommand(UINT command, LPARAM lp) {
    if (frame::IsAboutCommand(command)) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    const std::optional<unsigned int> item = frame::WindowMenuCommand(command);
    if (!item) {
        Default(WM_SYSCOMMAND, command, lp);
        return;
    }
    // A command posted for a greyed item does nothing, as the item does.
    if (!frame::WindowMenuItemEnabled(*item, MenuState()))
        return;
    switch (*item) {
    case IDM_PLACEMENT: OnPlacement(); break;
    case IDM_SHOW_PANEL: OnShowPanel(); break;
    case IDM_DEFAULT_PLACEMENT: OnDefaultPlacement(); break;
    case IDM_CAPTURE_IN_3S:
    case IDM_CAPTURE_IN_5S:
    case IDM_CAPTURE_IN_10S: m_dlgOperation.StartTimedCapture(*frame::CaptureDelaySeconds(*item)); break;
    case IDM_QUICK_SHOT: m_dlgOperation.QuickShot(); break;
    case IDM_SERIES: m_dlgOperation.ToggleSeries(); break;
    case IDM_FIT_WINDOW: OnFitToWindowBelow(); break;
    case IDM_SETTINGS: OnSettings(); break;
    }
}

// Called for a system-wide hotkey of the frame's, whichever program has the focus.
void CVantrelDlg::OnHotkey(WPARAM id) {
    const std::optional<settings::HotkeyCommand> command = settings::HotkeyCommandOf(id);
    if (!command)
        return;
    switch (*command) {
    case settings::HotkeyCommand::QuickShot: m_dlgOperation.QuickShot(); break;
    case settings::HotkeyCommand::Record: OnRecord(); break;
    }
}

// Called for the recording hotkey: the recorder is not part of this program yet.
void CVantrelDlg::OnRecord() {
    if (::IsWindowEnabled(m_wnd))
        platform::ShowMessage(m_wnd, frame::kRecordingUnavailableText);
}

// Called once the frame is up when a hotkey could not be registered: the user learns which, once.
void CVantrelDlg::OnHotkeysRefused() {
    const std::wstring message = m_hotkeys.RefusalMessage();
    if (!message.empty())
        platform::ShowMessage(m_wnd, message.c_str());
}

// Called for the settings item. The hotkeys are let go while the dialog is up, so that their own keys can
// be typed into its fields; they are registered again as the dialog ends, the new ones after OK, which also
// stores them.
void CVantrelDlg::OnSettings() {
    m_hotkeys.Unregister();
    CSettingsDlg dialog(m_wnd, m_settings);
    if (dialog.DoModal() == IDOK) {
        m_settings = dialog.Chosen();
        if (!settings::WriteSettings(m_settings))
            platform::ShowMessage(m_wnd, settings::kSettingsNotStoredText);
    }
    m_hotkeys.Register(m_wnd, m_settings);
}

namespace {

// Each top-level window with what the frame needs to know of it to look below itself, top down.
std::vector<frame::WindowBelow> TopLevelWindows() {
    std::vector<frame::WindowBelow> windows;
    ::EnumWindows(
        [](HWND wnd, LPARAM param) {
            frame::WindowBelow w;
            RECT bounds{}, client{};
            if (!platform::GetExtendedFrameBounds(wnd, bounds))
                ::GetWindowRect(wnd, &bounds);
            ::GetClientRect(wnd, &client);
            ::MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
            w.bounds = platform::ToRect(bounds);
            w.client = platform::ToRect(client);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(wnd, &pid);
            w.ours = pid == ::GetCurrentProcessId();
            w.shown = ::IsWindowVisible(wnd) && !::IsIconic(wnd) && !platform::IsCloaked(wnd);
            w.clickThrough = (::GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
            wchar_t cls[16] = L"";
            ::GetClassNameW(wnd, cls, 16);
            w.desktop = wnd == ::GetDesktopWindow() || wnd == ::GetShellWindow() ||
                        std::wstring_view(cls) == L"Progman" || std::wstring_view(cls) == L"WorkerW";
            reinterpret_cast<std::vector<frame::WindowBelow>*>(param)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

} // namespace

// Called for the fit item (greyed while a picture is held): the inner area takes the place and size of the
// client area of the window beneath its centre, in one move as the placement dialog's OK.
void CVantrelDlg::OnFitToWindowBelow() {
    if (::IsIconic(m_wnd))
        ::ShowWindow(m_wnd, SW_RESTORE);
    const platform::Rect inner = ClientOnScreen();
    const std::vector<frame::WindowBelow> windows = TopLevelWindows();
    const std::optional<std::size_t> below =
        frame::PickWindowBelow(windows, inner.left + inner.Width() / 2, inner.top + inner.Height() / 2);
    const std::optional<platform::Rect> fitted =
        below ? frame::FitInnerAreaTo(windows[*below].client, GatherDesktop()) : std::nullopt;
    if (!fitted) {
        platform::ShowMessage(m_wnd, frame::kNoWindowBelowText);
        return;
    }
    MoveClientTo(*fitted);
}

// Called when the window menu opens: its items are greyed where they would do nothing.
void CVantrelDlg::OnInitWindowMenu() {
    HMENU menu = ::GetSystemMenu(m_wnd, FALSE);
    if (!menu)
        return;
    const frame::WindowMenuState state = MenuState();
    for (const frame::WindowMenuItem& item : frame::WindowMenuItems()) {
        const UINT enabled = frame::WindowMenuItemEnabled(item.command, state) ? MF_ENABLED : MF_GRAYED;
        ::ModifyMenuW(menu, item.command, MF_BYCOMMAND | MF_STRING | enabled, item.command,
                      frame::WindowMenuItemText(item, state));
    }
}

frame::WindowMenuState CVantrelDlg::MenuState() const {
    frame::WindowMenuState state;
    // Without a panel window there is nothing to show.
    state.panelVisible = !PanelExists() || ::IsWindowVisible(m_dlgOperation.GetSafeHwnd());
    state.pictureHeld = m_dlgOperation.HoldsPicture();
    state.countingDown = m_dlgOperation.CountingDown();
    state.seriesRunning = m_dlgOperation.SeriesRunning();
    return state;
}

// Called for an arrow key on the frame: moves it, or with Ctrl sizes it (not while a picture is held).
bool CVantrelDlg::OnArrowKey(UINT virtualKey) {
    const std::optional<frame::KeyChange> change =
        frame::ChangeForKey(virtualKey, ::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0);
    if (!change)
        return false;
    if (::IsIconic(m_wnd))
        return true;
    const platform::Rect client = ClientOnScreen();
    const platform::Rect next =
        frame::ApplyKeyChange(client, *change, m_dlgOperation.HoldsPicture(), GatherDesktop());
    if (!(next == client))
        MoveClientTo(next);
    return true;
}

// Called for the placement item: the dialog shows the client area; OK applies the checked one in one move.
void CVantrelDlg::OnPlacement() {
    if (::IsIconic(m_wnd))
        ::ShowWindow(m_wnd, SW_RESTORE);
    CPlacementDlg dialog(m_wnd, ClientOnScreen(), m_dlgOperation.HoldsPicture(), GatherDesktop());
    // The panel takes no command while the dialog is up (a timed capture stops as it opens), so whether a
    // picture is held cannot change under it.
    if (dialog.DoModal() == IDOK)
        MoveClientTo(dialog.Chosen());
}

// Called for the item that brings back a panel hidden by its Esc or Enter: shown and docked as usual.
void CVantrelDlg::OnShowPanel() {
    ::ShowWindow(m_dlgOperation.GetSafeHwnd(), SW_SHOW);
    PlacePanel();
}

// Called for the default placement item: the frame as at a first start, the template's client area centred
// on the primary monitor's work area, framed at that monitor's scale, with the panel on the right.
void CVantrelDlg::OnDefaultPlacement() {
    if (::IsIconic(m_wnd))
        ::ShowWindow(m_wnd, SW_RESTORE);
    m_dlgOperation.SetDocksRight(true);
    const int width = m_templateClient.width, height = m_templateClient.height;
    const platform::Rect work = platform::WorkAreaFor({0, 0, width, height});
    const frame::Desktop desktop = GatherDesktop();
    const frame::MonitorScale* scale =
        frame::ScaleWhere({work.left, work.top, work.left + width, work.top + height}, desktop);
    const platform::Rect m = scale ? scale->margins : NonClientMargins();
    const platform::Rect window =
        platform::CentreRectIn(work, work, width + m.left + m.right, height + m.top + m.bottom);
    MoveClientTo(platform::Inset(window, m));
    // The side may have changed where the frame did not move.
    if (PanelExists())
        PlacePanel();
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
    NoteClientRect();
    if (PanelExists())
        PlacePanel();
}

// Called after every size change, minimising included: the panel follows and the caption shows
// the new client size.
void CVantrelDlg::OnSize(UINT type, LPARAM lp) {
    Default(WM_SIZE, type, lp);
    NoteClientRect();
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
// scale is changed: the client area keeps its size in pixels, and with it the region the frame marks and the
// caption; only the frame around it takes the new scale. During a move of the program's own the client area
// lands exactly where that move asked; otherwise it stays where it was as far as the system's suggestion
// allows, at the size the frame answered for the change. The move docks the panel.
void CVantrelDlg::OnDpiChanged(int dpi, const RECT& suggested) {
    const platform::Rect margins = platform::NonClientMargins(m_wnd, dpi);
    platform::Rect window;
    if (m_movingTo) {
        window = platform::Outset(*m_movingTo, margins);
    } else {
        platform::Rect client = ClientOnScreen();
        if (m_scaledClient && m_scaledClient->dpi == dpi)
            client = {client.left, client.top, client.left + m_scaledClient->size.width,
                      client.top + m_scaledClient->size.height};
        window = frame::FrameRectAfterDpiChange(client, margins, platform::ToRect(suggested));
    }
    m_scaledClient.reset();
    platform::MoveWindowAroundClient(m_wnd, window, platform::Inset(window, margins));
}

// Called before a change of scale (Windows 10) with the window size the system proposes: the frame answers
// the size that keeps its client area's size in pixels, that of a move of its own under way, or else that of
// the window the system is scaling (see ClientSizeThroughScaleChange).
bool CVantrelDlg::OnGetDpiScaledSize(int dpi, SIZE& size) {
    RECT window{}, client{};
    ::GetWindowRect(m_wnd, &window);
    ::GetClientRect(m_wnd, &client);
    const frame::Size kept =
        m_movingTo ? frame::Size{m_movingTo->Width(), m_movingTo->Height()}
                   : frame::ClientSizeThroughScaleChange(
                         {size.cx, size.cy}, {window.right - window.left, window.bottom - window.top},
                         {client.right, client.bottom}, platform::WindowDpi(m_wnd), dpi);
    m_scaledClient = ScaledClient{dpi, kept};
    const platform::Rect margins = platform::NonClientMargins(m_wnd, dpi);
    size = {kept.width + margins.left + margins.right, kept.height + margins.top + margins.bottom};
    return true;
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

// The modal run ends the program through here, whatever ended it (a kill never gets here).
bool CVantrelDlg::DestroyWindow() {
    RememberFrame();
    m_hotkeys.Unregister();
    m_dlgOperation.DestroyWindow();
    return CDialogEx::DestroyWindow();
}

platform::Rect CVantrelDlg::ClientOnScreen() const {
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    ::MapWindowPoints(m_wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return platform::ToRect(client);
}

// Keeps the client area of the frame as the user last saw it, so that a frame closed while minimised is
// remembered where it will be restored.
void CVantrelDlg::NoteClientRect() {
    if (!::IsIconic(m_wnd))
        m_lastClient = ClientOnScreen();
}

// How far the frame's window reaches beyond its client area on each side: measured, so that it holds for
// whatever draws the frame; from its styles at its scale while it is minimised.
platform::Rect CVantrelDlg::NonClientMargins() const {
    if (::IsIconic(m_wnd))
        return platform::NonClientMargins(m_wnd, platform::WindowDpi(m_wnd));
    RECT window{};
    ::GetWindowRect(m_wnd, &window);
    const platform::Rect client = ClientOnScreen();
    return {client.left - window.left, client.top - window.top, window.right - client.right,
            window.bottom - client.bottom};
}

// Puts the client area exactly on the rectangle in one move, the frame around it drawn at the scale of the
// monitor it goes to: the panel docks and the caption follows from the one WM_MOVE and WM_SIZE it brings. A
// change of scale on the way (WM_GETDPISCALEDSIZE, WM_DPICHANGED inside the move) keeps to the rectangle.
void CVantrelDlg::MoveClientTo(const platform::Rect& client) {
    const platform::Rect window = frame::FrameWindowFor(client, GatherDesktop(), NonClientMargins());
    m_movingTo = client;
    ::SetWindowPos(m_wnd, nullptr, window.left, window.top, window.Width(), window.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    m_movingTo.reset();
}

namespace {

// The client area of a window of the system's size (SM_CX..., SM_CY...) at dpi, with these borders and
// caption.
frame::Size ClientOfSystemWindow(int widthIndex, int heightIndex, int dpi, const platform::Rect& margins) {
    return {std::max(1, platform::SystemMetricAt(widthIndex, dpi) - margins.left - margins.right),
            std::max(1, platform::SystemMetricAt(heightIndex, dpi) - margins.top - margins.bottom)};
}

} // namespace

// The sizes and monitors that the frame's client area must fit, at the frame's own scale and on each monitor
// at that monitor's: the client areas of the system's smallest and largest windows (its tracking sizes,
// which it holds every window to) less the frame's borders and caption. At the frame's own scale these are
// measured, so that they hold for whatever draws the frame.
frame::Desktop CVantrelDlg::GatherDesktop() const {
    const int dpi = platform::WindowDpi(m_wnd);
    const platform::Rect margins = NonClientMargins();
    frame::Desktop desktop;
    for (const platform::MonitorAtScale& monitor : platform::MonitorsAtScale()) {
        const platform::Rect there =
            monitor.dpi == dpi ? margins : platform::NonClientMargins(m_wnd, monitor.dpi);
        desktop.monitors.push_back(monitor.rect);
        desktop.scales.push_back({monitor.rect, monitor.dpi, there,
                                  ClientOfSystemWindow(SM_CXMINTRACK, SM_CYMINTRACK, monitor.dpi, there),
                                  ClientOfSystemWindow(SM_CXMAXTRACK, SM_CYMAXTRACK, monitor.dpi, there)});
    }
    desktop.smallestClient = ClientOfSystemWindow(SM_CXMINTRACK, SM_CYMINTRACK, dpi, margins);
    desktop.largestClient = ClientOfSystemWindow(SM_CXMAXTRACK, SM_CYMAXTRACK, dpi, margins);
    desktop.captionHeight = platform::SystemMetricAt(SM_CYCAPTION, dpi);
    return desktop;
}

// The frame as the last run left it, what of it is valid on this desktop; nothing when nothing is stored.
frame::RestoredFrame CVantrelDlg::ReadRememberedFrame() const {
    const std::optional<frame::StoredFrame> stored = frame::ReadStoredFrame();
    if (!stored)
        return {};
    return frame::CheckStoredFrame(*stored, GatherDesktop());
}

// Writes the client area and the panel's side for the next run. A failed write is not reported: the
// program is ending, and the next run then starts as at a first start.
void CVantrelDlg::RememberFrame() const {
    if (m_lastClient)
        frame::WriteStoredFrame(*m_lastClient, m_dlgOperation.DocksRight());
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

// The key colour for a see-through look that replaces this picture under Wine. Wine cuts the frame's shape
// from the picture as the key is set, one piece per run of other colours: a picture with many pixels of the
// usual key would need more pieces than one X request can carry, and Wine would end the program. The usual
// key where the pixels cannot be read.
COLORREF KeyColourAbsentFrom(HBITMAP picture) {
    std::uint32_t rgb = frame::kKeyRgb;
    try {
        if (const std::optional<platform::RgbPicture> read = platform::ReadBitmapPixels(picture))
            rgb = frame::KeyColourAbsentFrom(read->pixels);
    } catch (const std::bad_alloc&) {
    }
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

// Docks the panel beside the frame on the side its Right Pos box chooses, or on the other side or slid
// along where the chosen place is off the monitors; the panel keeps its size. Moving the panel may change its
// scale (it reaches a monitor of another scale), and it then lays itself out anew and asks to be docked: that
// docking is this one, done once more with the panel's new size.
void CVantrelDlg::PlacePanel() {
    if (m_placingPanel)
        return;
    m_placingPanel = true;
    HWND panel = m_dlgOperation.GetSafeHwnd();
    for (int pass = 0; pass < 2; ++pass) {
        const platform::Rect frameBounds = GetVisibleBounds(m_wnd);
        const platform::Rect panelBounds = GetVisibleBounds(panel);
        RECT window{};
        ::GetWindowRect(panel, &window);
        // A minimised frame takes its panel out of sight with it.
        const std::vector<platform::Rect> monitors =
            ::IsIconic(m_wnd) ? std::vector<platform::Rect>{} : platform::MonitorRects();
        const frame::Placement p = frame::PlacePanelReachable(frameBounds, panelBounds, ToRect(window),
                                                              m_dlgOperation.DocksRight(), monitors);
        ::MoveWindow(panel, p.x, p.y, p.width, p.height, TRUE);
        ::GetWindowRect(panel, &window);
        if (window.right - window.left == p.width && window.bottom - window.top == p.height)
            break;
    }
    m_placingPanel = false;
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
// a white frame. Under Wine the key is one the picture does not hold, since keying the frame while the
// picture is still shown cuts its shape from the picture (see KeyColourAbsentFrom); with no picture the key
// stays as it is, so the pixels already drawn keep matching it.
void CVantrelDlg::ShowSeeThrough() {
    if (m_picture && m_followsWineShapes)
        m_key = KeyColourAbsentFrom(m_picture);
    SetBackground(m_key, nullptr);
    ChangeExStyle(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_wnd, m_key, 0, LWA_COLORKEY);
    RepaintLook();
}

void CVantrelDlg::ShowPicture(HBITMAP borrowed) {
    ChangeExStyle(WS_EX_LAYERED, 0);
    SetBackground(RGB(255, 255, 255), borrowed);
    RepaintLook();
}

// Under Wine the frame, hidden when the picture look was applied, comes back with the shape of its
// see-through look and shows nothing of its client area. Taking away its window region (it has none) makes
// Wine drop that shape without cutting another from the picture. Windows applied the look already and is
// left alone.
void CVantrelDlg::SettlePictureLook() {
    if (!m_followsWineShapes)
        return;
    ::SetWindowRgn(m_wnd, nullptr, FALSE);
    RepaintLook();
}
