#include "panel/operation_dlg.h"

#include "panel/capture_cycle.h"
#include "panel/encoder_choice.h"
#include "panel/glass_logic.h"
#include "panel/picture_file.h"
#include "panel/screen_copy.h"
#include "panel/tooltip_table.h"
#include "quick/quick_file.h"
#include "platform/dpi.h"
#include "platform/dpi_scale.h"
#include "platform/dwm.h"
#include "platform/message_box.h"
#include "platform/rect_win.h"
#include "platform/save_dialog.h"
#include "res/resource.h"

#include <algorithm>
#include <string>

namespace tip = panel::tip_message;
static_assert(tip::kKeyDown == WM_KEYDOWN && tip::kSysKeyDown == WM_SYSKEYDOWN &&
              tip::kMouseMove == WM_MOUSEMOVE && tip::kLButtonDown == WM_LBUTTONDOWN &&
              tip::kLButtonUp == WM_LBUTTONUP && tip::kRButtonDown == WM_RBUTTONDOWN &&
              tip::kRButtonUp == WM_RBUTTONUP && tip::kMButtonDown == WM_MBUTTONDOWN &&
              tip::kMButtonUp == WM_MBUTTONUP);

namespace {

// The screen needs this long to redraw what the hidden windows covered.
constexpr DWORD kHiddenSettleMs = 200;

// The window timer of a timed capture's countdown, one tick a second.
constexpr UINT_PTR kCountdownTimer = 1;
constexpr UINT kCountdownTickMs = 1000;
// The window timer of a series, set for each shot's moment, and the one that ends a quick shot's
// acknowledgement on the Capture button.
constexpr UINT_PTR kSeriesTimer = 2;
constexpr UINT_PTR kAcknowledgeTimer = 3;
constexpr UINT kAcknowledgeMs = 1000;

// The panel's controls in the order of its template.
constexpr int kControlIds[] = {IDC_CLEAR, IDC_CAPTURE, IDC_COPY, IDC_SAVE, IDC_RIGHTPOS};
static_assert(std::size(kControlIds) == 5, "one glass control for each of the panel's controls");

// A control's rectangle in the panel's client area.
platform::Rect ControlRect(HWND panel, int id) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(panel, id), &r);
    ::MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&r), 2);
    return platform::ToRect(r);
}

// Shows the refusal of a command in the current state; true when the command may run.
bool Permitted(HWND panel, panel::Command command, bool pictureHeld) {
    const panel::Refusal refusal = panel::RefusalFor(command, pictureHeld);
    if (refusal == panel::Refusal::None)
        return true;
    platform::ShowMessage(panel, panel::RefusalText(refusal));
    return false;
}

} // namespace

COperationDlg::COperationDlg(panel::PanelHost& host) noexcept
    : CDialogEx(IDD_OPERATION, nullptr), m_host(host) {}

bool COperationDlg::Create() {
    return CDialogEx::Create(m_host.HostWindow());
}

// Called when the panel is made: its tips are set up, then it takes the glass look if composition is on.
BOOL COperationDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    platform::DataExchange(m_wnd, true).Text(IDC_CAPTURE, m_captureText);
    // The panel lays itself out at each scale, from what the dialog manager made of its template.
    m_dpi = m_madeDpi = platform::WindowDpi(m_wnd);
    m_madeLayout = MeasureLayout();
    m_madeFont = reinterpret_cast<HFONT>(::SendMessageW(m_wnd, WM_GETFONT, 0, 0));
    platform::KeepDialogLayoutOnDpiChange(m_wnd);
    ApplyLayout(FitLabels(m_madeLayout));
    SetUpToolTip();
    m_bufferedPaint.Begin();
    platform::CheckComposition(&m_bGlass);
    ApplyGlassMode();
    return TRUE;
}

// One tip per control, in the order of the tools table; the panel's look record takes the look of
// the display at every show.
void COperationDlg::SetUpToolTip() {
    m_ToolTip.Create(m_wnd);
    m_ToolTip.Activate(true);
    m_ToolTip.SetParams(panel::PanelLook());
    m_ToolTip.SetStyledLook(panel::StyledLook());
    for (const panel::TipTool& tool : panel::TipTools())
        m_ToolTip.AddTool(::GetDlgItem(m_wnd, tool.controlId), tool.label);
}

// The mouse and key messages of the panel and its controls reach the tips before the dialog's own
// handling, which still gets every one of them.
bool COperationDlg::PreTranslateMessage(MSG& msg) {
    if (panel::IsRelayedToTip(msg.message))
        m_ToolTip.RelayEvent(msg);
    return CDialogEx::PreTranslateMessage(msg);
}

// Brings the panel into line with m_bGlass: on glass the frame is extended over the whole client
// area and the controls paint themselves readable on it; off glass they are the system's again.
void COperationDlg::ApplyGlassMode() {
    const panel::GlassActions actions = panel::PlanGlassMode(m_bGlass, m_bSubclassed);
    if (m_bGlass)
        DisableHideAnimations();
    if (actions.setMargins) {
        m_marGlass = MARGINS{-1, 0, 0, 0};
        platform::ExtendFrameIntoClient(m_wnd, &m_marGlass);
    }
    if (actions.attach)
        SubclassGlassControls();
    if (actions.detach) {
        m_bSubclassed = false;
        for (COpaControl* control : GlassControls())
            control->UnsubclassWindow();
    }
    ::InvalidateRect(m_wnd, nullptr, TRUE);
}

// With composition on, the window manager may animate a window as it is hidden; a capture must find the
// frame and the panel gone after its pause, so neither is animated. Set at start and again whenever
// composition comes on, for a window manager that the switch started anew.
void COperationDlg::DisableHideAnimations() {
    platform::DisableTransitions(m_host.HostWindow());
    platform::DisableTransitions(m_wnd);
}

// The five controls' owners, in the order of kControlIds (the template's).
std::array<COpaControl*, 5> COperationDlg::GlassControls() noexcept {
    return {&m_btnClear, &m_btnCapture, &m_btnCopy, &m_btnSave, &m_chkRightPos};
}

// Takes over the five controls, once.
void COperationDlg::SubclassGlassControls() {
    if (m_bSubclassed)
        return;
    m_bSubclassed = true;
    const std::array<COpaControl*, 5> controls = GlassControls();
    for (size_t i = 0; i < controls.size(); ++i) {
        controls[i]->SubclassDlgItem(kControlIds[i], m_wnd);
        controls[i]->SetDpi(m_dpi);
    }
}

// Called when desktop composition is switched on or off while the panel runs.
LRESULT COperationDlg::OnCompositionChanged(WPARAM wp, LPARAM lp) {
    platform::CheckComposition(&m_bGlass);
    ApplyGlassMode();
    return Default(WM_DWMCOMPOSITIONCHANGED, wp, lp);
}

// Called for every control-colour query: on glass, backgrounds are black (shown as glass by the
// DWM) and text is drawn without a background fill.
LRESULT COperationDlg::OnCtlColor(UINT msg, WPARAM dc, LPARAM control) {
    const LRESULT brush = CDialogEx::WindowProc(msg, dc, control);
    if (!m_bGlass)
        return brush;
    ::SetBkMode(reinterpret_cast<HDC>(dc), TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH));
}

// The tooltip's notifications come back to it, so it can choose what a tip shows.
LRESULT COperationDlg::OnNotify(WPARAM wp, LPARAM lp) {
    const auto* header = reinterpret_cast<const NMHDR*>(lp);
    LRESULT result = 0;
    if (header && m_ToolTip.ReflectNotify(*header, result))
        return result;
    return CDialogEx::WindowProc(WM_NOTIFY, wp, lp);
}

void COperationDlg::DoDataExchange(platform::DataExchange& dx) {
    dx.Check(IDC_RIGHTPOS, m_bRightPos);
}

LRESULT COperationDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCLBUTTONDOWN: return OnNcLButtonDown(wp, lp);
    case WM_DWMCOMPOSITIONCHANGED: return OnCompositionChanged(wp, lp);
    case WM_NOTIFY: return OnNotify(wp, lp);
    case WM_RENDERFORMAT: return OnRenderFormat(static_cast<UINT>(wp));
    case WM_RENDERALLFORMATS: return OnRenderAllFormats();
    // The session ends (the frame ends the program): the promised formats are made first, whichever of the
    // two windows hears of it first.
    case WM_ENDSESSION:
        if (wp)
            RenderPromisedFormats();
        return 0;
    case WM_DESTROYCLIPBOARD: return OnDestroyClipboard();
    case WM_TIMER:
        switch (wp) {
        case kCountdownTimer: OnCountdownTick(); return 0;
        case kSeriesTimer: OnSeriesTimer(); return 0;
        case kAcknowledgeTimer:
            ::KillTimer(m_wnd, kAcknowledgeTimer);
            m_acknowledging = false;
            ShowCaptureButton();
            return 0;
        }
        break;
    case WM_ENABLE: OnEnable(wp != FALSE); break;
    case WM_DESTROY: OnDestroy(); break;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp)); return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: return OnCtlColor(msg, wp, lp);
    }
    return CDialogEx::WindowProc(msg, wp, lp);
}

bool COperationDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_CAPTURE_TO_CLIPBOARD: OnCaptureToClipboard(); return true;
    case IDC_CAPTURE: OnCaptureButton(); return true;
    case IDC_CLEAR: OnClear(); return true;
    case IDC_COPY: OnCopy(); return true;
    case IDC_SAVE: OnSave(); return true;
    case IDC_RIGHTPOS: OnRightPos(); return true;
    }
    return CDialogEx::OnCommand(id, code);
}

// A minimised frame marks no region (a timed capture can reach zero then): the user is told, as for a capture
// that fails, and neither window is hidden or shown, so the panel stays out of sight with the frame and comes
// back with it.
bool COperationDlg::HostShowsRegion() {
    if (!::IsIconic(m_host.HostWindow()))
        return true;
    platform::ShowMessage(m_wnd, panel::kCaptureFailedText);
    return false;
}

// Both windows leave the screen, frame first, and the screen gets time to redraw beneath them. The panel's
// tip goes first: it outlives its owner's hiding, and the tip of a panel docked on the left lies over the
// frame's inner area. With composition on, the window manager may put the screen together a little later:
// it is waited for before the pause, so that the hidden windows are off the screen whatever it takes.
void COperationDlg::HideWindows() {
    m_ToolTip.Pop();
    ::ShowWindow(m_host.HostWindow(), SW_HIDE);
    ::ShowWindow(m_wnd, SW_HIDE);
    if (m_bGlass)
        platform::FlushComposition();
    ::Sleep(kHiddenSettleMs);
}

void COperationDlg::ShowWindows(panel::CaptureStart start) {
    const int show = panel::TakesActivationBack(start) ? SW_SHOW : SW_SHOWNA;
    ::ShowWindow(m_host.HostWindow(), show);
    ::ShowWindow(m_wnd, show);
}

// Called for command 1001: the screen under the frame goes straight to the clipboard; the held
// picture and the frame's look stay as they are. What reaches the clipboard is the screen, not the held
// picture, so a held picture that was not kept stays so.
void COperationDlg::OnCaptureToClipboard() {
    if (!HostShowsRegion())
        return;
    HideWindows();
    const platform::SharedBitmap shot = panel::CopyScreenUnderClient(m_host.HostWindow());
    const bool captured = static_cast<bool>(shot);
    const auto result = captured ? m_clipboard.Put(m_wnd, panel::DuplicateBitmap(shot.get()), shot)
                                 : platform::ClipboardResult::Refused;
    ShowWindows(panel::CaptureStart::PanelCommand);
    if (!captured)
        platform::ShowMessage(m_wnd, panel::kCaptureFailedText);
    else
        ReportClipboard(result);
}

// Called for the Capture button: while a timed capture counts down or a series runs the click stops it,
// otherwise it captures at once.
void COperationDlg::OnCaptureButton() {
    if (CountingDown())
        StopCountdown();
    else if (SeriesRunning())
        StopSeries();
    else
        OnCapture();
}

// Called for Capture, from the button or at the end of a countdown: freezes the screen under the frame
// and shows it in the frame. After a countdown the windows come back without the activation, which stays
// with the program the user was working in.
void COperationDlg::OnCapture(panel::CaptureStart start) {
    if (!Permitted(m_wnd, panel::Command::Capture, HoldsPicture()) || !HostShowsRegion())
        return;
    HideWindows();
    platform::UniqueBitmap shot = panel::CopyScreenUnderClient(m_host.HostWindow());
    if (!shot) {
        // Nothing is held: the frame stays see-through and the user is told.
        ShowWindows(start);
        platform::ShowMessage(m_wnd, panel::kCaptureFailedText);
        return;
    }
    m_bmpCapture = std::move(shot);
    m_bKept = false;
    m_host.ShowPicture(m_bmpCapture.get());
    ShowWindows(start);
    m_host.SettlePictureLook();
}

// Called for Clear: the frame becomes see-through again and the picture is let go; a countdown stops.
void COperationDlg::OnClear() {
    StopCountdown();
    m_host.ShowSeeThrough();
    // The frame no longer shows the picture, so it can go.
    m_bmpCapture.reset();
}

// Called for Copy: the clipboard gets a copy of its own, so the held picture stays valid for
// showing, copying and saving whatever the clipboard later does with its bitmap. A picture on the
// clipboard counts as kept.
void COperationDlg::OnCopy() {
    if (!Permitted(m_wnd, panel::Command::Copy, HoldsPicture()))
        return;
    platform::UniqueBitmap copy = panel::DuplicateBitmap(m_bmpCapture.get());
    if (ReportClipboard(copy ? m_clipboard.Put(m_wnd, std::move(copy), m_bmpCapture)
                             : platform::ClipboardResult::Refused))
        m_bKept = true;
}

// Called when a program asks for a format that Copy or 1001 promised.
LRESULT COperationDlg::OnRenderFormat(UINT format) {
    m_clipboard.OnRenderFormat(format);
    return 0;
}

// Called as the panel's window is destroyed while it owns the clipboard: what is still promised is made
// now, so that the picture can be pasted after the program has ended.
LRESULT COperationDlg::OnRenderAllFormats() {
    m_clipboard.OnRenderAllFormats(m_wnd);
    return 0;
}

void COperationDlg::RenderPromisedFormats() {
    if (m_wnd)
        m_clipboard.OnRenderAllFormats(m_wnd);
}

// Called when some program empties the clipboard the panel owns.
LRESULT COperationDlg::OnDestroyClipboard() {
    m_clipboard.OnDestroyClipboard();
    return 0;
}

// Called for Save: asks for a file name and writes the held picture in the format its extension
// selects. A cancelled dialog says nothing; a save that writes nothing says so. The picture never changes;
// a written file makes it count as kept.
void COperationDlg::OnSave() {
    if (!Permitted(m_wnd, panel::Command::Save, HoldsPicture()))
        return;
    platform::SaveDialogSettings settings;
    settings.defaultExtension = L"bmp";
    settings.initialName = L"無題";
    settings.types = panel::ParseFileFilter(panel::kSaveFilter);
    // The dialog is modal to the panel; the frame is held still while it is up.
    const std::optional<std::wstring> path = platform::AskSavePath(m_wnd, settings);
    if (!path)
        return;
    switch (panel::SavePictureFile(m_bmpCapture.get(), *path)) {
    case panel::SaveOutcome::Saved: m_bKept = true; break;
    case panel::SaveOutcome::NoEncoder: platform::ShowMessage(m_wnd, panel::kSaveNoEncoderText); break;
    case panel::SaveOutcome::Failed: platform::ShowMessage(m_wnd, panel::kSaveFailedText); break;
    case panel::SaveOutcome::ReadOnly: platform::ShowMessage(m_wnd, panel::kSaveReadOnlyText); break;
    }
}

// The countdown changes nothing but the Capture button's text: neither window is activated, focused or
// hidden until the capture itself, so the user can open a menu or hover in another program meanwhile.
// With a picture held, Capture's own refusal is shown at once and nothing starts; under one of the program's
// modal runs (the panel is disabled then) nothing starts either.
void COperationDlg::StartTimedCapture(int seconds) {
    if (!m_wnd || CountingDown() || !::IsWindowEnabled(m_wnd) ||
        !Permitted(m_wnd, panel::Command::Capture, HoldsPicture()))
        return;
    if (!m_countdown.Start(seconds))
        return;
    if (!::SetTimer(m_wnd, kCountdownTimer, kCountdownTickMs, nullptr)) {
        m_countdown.Cancel();
        platform::ShowMessage(m_wnd, panel::kCountdownFailedText);
        return;
    }
    ShowCaptureButton();
}

// Called every second of a countdown: the button shows the seconds left; at zero the Capture command
// runs, with the button's own text back before the windows are hidden for it.
void COperationDlg::OnCountdownTick() {
    const bool due = m_countdown.Tick();
    if (!CountingDown()) // at zero, or a late tick of a count that has ended
        ::KillTimer(m_wnd, kCountdownTimer);
    ShowCaptureButton();
    if (due)
        OnCapture(panel::CaptureStart::Countdown);
}

// Ends a running countdown without a capture.
void COperationDlg::StopCountdown() {
    if (!CountingDown())
        return;
    m_countdown.Cancel();
    ::KillTimer(m_wnd, kCountdownTimer);
    ShowCaptureButton();
}

// The Capture button shows a countdown's seconds, a series' progress, a quick shot's acknowledgement or its
// own text, in that order.
void COperationDlg::ShowCaptureButton() {
    std::wstring text = panel::CaptureButtonText(m_countdown, m_captureText);
    if (!CountingDown() && m_series)
        text = quick::SeriesButtonText(m_series->TakenCount(), m_series->Count());
    else if (!CountingDown() && m_acknowledging)
        text = panel::kQuickSavedText;
    if (platform::WindowText(::GetDlgItem(m_wnd, IDC_CAPTURE)) != text)
        ::SetDlgItemTextW(m_wnd, IDC_CAPTURE, text.c_str());
}

// The panel's tip may lie over the region (the panel docked on the frame's left): it goes before the region
// is copied.
void COperationDlg::HideTip() {
    if (HWND tip = m_ToolTip.GetSafeHwnd())
        ::SendMessageW(tip, TTM_POP, 0, 0);
}

COperationDlg::QuickShotResult COperationDlg::QuickShot() {
    if (!m_wnd || !::IsWindowEnabled(m_wnd) || m_host.MenuOpen())
        return QuickShotResult::Skipped;
    // The held picture, or what lies under the see-through region now: the frame and the panel stay as
    // they are, and the tip, which may lie over the region, goes first.
    platform::SharedBitmap picture = m_bmpCapture;
    const bool held = static_cast<bool>(picture);
    if (!held) {
        HideTip();
        if (!::IsIconic(m_host.HostWindow()))
            picture = panel::CopyScreenUnderClient(m_host.HostWindow());
        if (!picture) {
            StopSeries();
            platform::ShowMessage(m_wnd, panel::kCaptureFailedText);
            return QuickShotResult::Failed;
        }
    }
    const settings::Settings& settings = m_host.CurrentSettings();
    const quick::QuickFile file =
        quick::WriteQuickShot(picture.get(), settings.quickFolder, settings.quickName);
    if (file.outcome != panel::SaveOutcome::Saved) {
        StopSeries();
        platform::ShowMessage(m_wnd, file.outcome == panel::SaveOutcome::NoEncoder ? panel::kSaveNoEncoderText
                                                                                   : panel::kSaveFailedText);
        return QuickShotResult::Failed;
    }
    if (held)
        m_bKept = true;
    if (settings.quickCopy) {
        platform::UniqueBitmap copy = panel::DuplicateBitmap(picture.get());
        ReportClipboard(copy ? m_clipboard.Put(m_wnd, std::move(copy), picture)
                             : platform::ClipboardResult::Refused);
    }
    Acknowledge();
    return QuickShotResult::Taken;
}

// Tells of a written quick shot on the Capture button, which takes no focus and lies beside the region: a
// series shows its progress there, a single shot a word for a moment.
void COperationDlg::Acknowledge() {
    if (!m_series) {
        m_acknowledging = true;
        ::SetTimer(m_wnd, kAcknowledgeTimer, kAcknowledgeMs, nullptr);
    }
    ShowCaptureButton();
}

void COperationDlg::ToggleSeries() {
    if (SeriesRunning()) {
        StopSeries();
        return;
    }
    if (!m_wnd || CountingDown() || !::IsWindowEnabled(m_wnd) ||
        !Permitted(m_wnd, panel::Command::Capture, HoldsPicture()))
        return;
    const settings::Settings& settings = m_host.CurrentSettings();
    m_series.emplace(::GetTickCount64(), static_cast<std::uint32_t>(settings.seriesSeconds) * 1000,
                     static_cast<std::uint32_t>(settings.seriesCount));
    m_acknowledging = false;
    ::KillTimer(m_wnd, kAcknowledgeTimer);
    OnSeriesTimer();
}

// Called at each shot's moment (and by a timer that fires early): the shot that is due is taken, the
// moments that passed long ago (the system slept) are skipped, and the timer is set for the next moment.
// Under a modal run the shot is skipped; a failed one ends the series.
void COperationDlg::OnSeriesTimer() {
    ::KillTimer(m_wnd, kSeriesTimer);
    if (!m_series)
        return;
    const quick::SeriesSchedule::Decision due = m_series->Look(::GetTickCount64());
    if (due.shoot) {
        const QuickShotResult shot = QuickShot();
        if (!m_series)
            return; // it failed, and the series stopped with it
        if (shot == QuickShotResult::Taken)
            m_series->Taken();
    }
    if (m_series->Finished()) {
        StopSeries();
        return;
    }
    ShowCaptureButton();
    ArmSeriesTimer();
}

void COperationDlg::ArmSeriesTimer() {
    const std::uint64_t now = ::GetTickCount64(), next = m_series->NextDueMs();
    const UINT wait =
        next > now ? static_cast<UINT>(std::min<std::uint64_t>(next - now, USER_TIMER_MAXIMUM)) : 1;
    if (!::SetTimer(m_wnd, kSeriesTimer, wait, nullptr)) {
        StopSeries();
        platform::ShowMessage(m_wnd, panel::kSeriesTimerFailedText);
    }
}

void COperationDlg::StopSeries() {
    if (!m_series)
        return;
    m_series.reset();
    ::KillTimer(m_wnd, kSeriesTimer);
    ShowCaptureButton();
}

// Called when the panel is disabled or enabled again. It is disabled only for one of the program's modal runs
// (a dialog or message box of either window), which no command may run under: a countdown stops there
// rather than capture the dialog at zero, and the button shows the stop at once.
void COperationDlg::OnEnable(bool enabled) {
    if (!enabled)
        StopCountdown();
}

// Called as the panel's window goes (the program ends): a running countdown ends with it, capturing
// nothing, and so does a series.
void COperationDlg::OnDestroy() {
    m_countdown.Cancel();
    ::KillTimer(m_wnd, kCountdownTimer);
    m_series.reset();
    ::KillTimer(m_wnd, kSeriesTimer);
    ::KillTimer(m_wnd, kAcknowledgeTimer);
}

void COperationDlg::SetDocksRight(bool right) {
    m_bRightPos = right;
    UpdateData(false);
}

// Called when Right Pos is ticked or unticked: docks the panel on the chosen side at once.
void COperationDlg::OnRightPos() {
    UpdateData(true);
    m_host.PlacePanel();
}

// A press on the panel's caption drags the frame, which the panel follows. A press handled after the
// button is already up (a quick click, or the end of the forwarded drag) is not passed on to any
// window: default handling would start a move with no button held and the window would stick to the
// pointer. The panel is activated instead, so its tooltips keep working.
LRESULT COperationDlg::OnNcLButtonDown(WPARAM hitTest, LPARAM point) {
    if (hitTest == HTCAPTION) {
        const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
        auto held = [button] { return (::GetAsyncKeyState(button) & 0x8000) != 0; };
        if (held())
            ::SendMessageW(m_host.HostWindow(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        if (!held()) {
            ::SetActiveWindow(m_wnd);
            return 0;
        }
    }
    return Default(WM_NCLBUTTONDOWN, hitTest, point);
}

// Called when the panel's display scale changes: its controls and their font are laid out again from the
// template's layout, the glass controls and the tips take the scale, and the panel, at its size for the new
// scale, docks beside the frame again. The system's suggested place is not taken: the panel's place is beside
// the frame, and a move less is a flicker less. A change that this new size or docking brings about is not
// followed: a panel lying across two monitors would otherwise take one scale, grow or shrink onto the other
// monitor, take its scale, and flip between the two.
void COperationDlg::OnDpiChanged(int dpi) {
    if (dpi <= 0 || m_applyingScale)
        return;
    m_applyingScale = true;
    m_dpi = dpi;
    if (m_dpi == m_madeDpi) {
        SetControlFont(m_madeFont);
        m_font.reset();
    } else if (m_madeFont) {
        LOGFONTW lf{};
        ::GetObjectW(m_madeFont, sizeof(lf), &lf);
        lf.lfHeight = platform::FontHeightAtDpi(lf.lfHeight, m_madeDpi, m_dpi);
        platform::UniqueFont font(::CreateFontIndirectW(&lf));
        if (font) {
            // The controls let go of the font they had before it is deleted.
            SetControlFont(font.get());
            m_font = std::move(font);
        }
    }
    ApplyLayout(FitLabels(panel::ScaleLayout(m_madeLayout, m_madeDpi, m_dpi)));
    for (COpaControl* control : GlassControls())
        control->SetDpi(m_dpi);
    m_ToolTip.SetDpi(m_dpi);
    ::RedrawWindow(m_wnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    m_host.PlacePanel();
    m_applyingScale = false;
}

// The controls' rectangles in the client area, in the order of the template.
panel::PanelLayout COperationDlg::MeasureLayout() const {
    panel::PanelLayout layout;
    RECT client{};
    ::GetClientRect(m_wnd, &client);
    layout.clientWidth = client.right;
    layout.clientHeight = client.bottom;
    for (int id : kControlIds)
        layout.controls.push_back({id, ControlRect(m_wnd, id)});
    return layout;
}

// The Right Pos box as wide as its box and label need in its present font, as the system draws it and as the
// glass look draws the label: where the template's width cuts the label off (text does not grow in
// proportion with the scale), the box and the panel grow.
panel::PanelLayout COperationDlg::FitLabels(panel::PanelLayout layout) const {
    HWND box = ::GetDlgItem(m_wnd, IDC_RIGHTPOS);
    SIZE ideal{};
    if (!::SendMessageW(box, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)))
        ideal = SIZE{};
    SIZE extent{};
    {
        platform::WindowDcScope dc(box);
        platform::SelectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0)));
        const std::wstring text = platform::WindowText(box);
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    const int glassLabel = panel::CheckLabelRect(platform::Rect{}, extent.cx, extent.cy, m_dpi).right;
    return panel::WidenToFit(layout, IDC_RIGHTPOS, std::max<int>(ideal.cx, glassLabel));
}

// Moves what differs from the layout into place; the panel's client area takes the layout's size, the
// window's top-left corner staying where it is.
void COperationDlg::ApplyLayout(const panel::PanelLayout& layout) {
    for (const panel::ControlPlace& c : layout.controls) {
        if (!(ControlRect(m_wnd, c.id) == c.rect))
            ::SetWindowPos(::GetDlgItem(m_wnd, c.id), nullptr, c.rect.left, c.rect.top, c.rect.Width(),
                           c.rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT window{}, client{};
    ::GetWindowRect(m_wnd, &window);
    ::GetClientRect(m_wnd, &client);
    if (client.right == layout.clientWidth && client.bottom == layout.clientHeight)
        return;
    const platform::Rect m = platform::NonClientMargins(m_wnd, m_dpi);
    const platform::Rect inside{window.left + m.left, window.top + m.top,
                                window.left + m.left + layout.clientWidth,
                                window.top + m.top + layout.clientHeight};
    platform::MoveWindowAroundClient(m_wnd, platform::Outset(inside, m), inside);
}

void COperationDlg::SetControlFont(HFONT font) {
    for (int id : kControlIds)
        ::SendMessageW(::GetDlgItem(m_wnd, id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

bool COperationDlg::ReportClipboard(platform::ClipboardResult result) {
    switch (result) {
    case platform::ClipboardResult::Done: return true;
    case platform::ClipboardResult::Busy: platform::ShowMessage(m_wnd, panel::kClipboardBusyText); break;
    case platform::ClipboardResult::Refused:
        platform::ShowMessage(m_wnd, panel::kClipboardRefusedText);
        break;
    }
    return false;
}
