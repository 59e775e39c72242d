#include "panel/operation_dlg.h"

#include "frame/vantrel_dlg.h"
#include "panel/capture_cycle.h"
#include "panel/picture_file.h"
#include "panel/screen_copy.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/save_dialog.h"
#include "res/resource.h"

namespace {

// The screen needs this long to redraw what the hidden windows covered.
constexpr DWORD kHiddenSettleMs = 200;

// Shows the refusal of a command in the current state; true when the command may run.
bool Permitted(HWND panel, panel::Command command, bool pictureHeld) {
    const panel::Refusal refusal = panel::RefusalFor(command, pictureHeld);
    if (refusal == panel::Refusal::None)
        return true;
    platform::ShowMessage(panel, panel::RefusalText(refusal));
    return false;
}

} // namespace

COperationDlg::COperationDlg() noexcept : CDialogEx(IDD_OPERATION, nullptr) {}

void COperationDlg::DoDataExchange(platform::DataExchange& dx) {
    dx.Check(IDC_RIGHTPOS, m_bRightPos);
}

LRESULT COperationDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCLBUTTONDOWN: return OnNcLButtonDown(wp, lp);
    }
    return CDialogEx::WindowProc(msg, wp, lp);
}

bool COperationDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_CAPTURE_TO_CLIPBOARD: OnCaptureToClipboard(); return true;
    case IDC_CAPTURE: OnCapture(); return true;
    case IDC_CLEAR: OnClear(); return true;
    case IDC_COPY: OnCopy(); return true;
    case IDC_SAVE: OnSave(); return true;
    case IDC_RIGHTPOS: OnRightPos(); return true;
    }
    return CDialogEx::OnCommand(id, code);
}

CVantrelDlg* COperationDlg::Frame() const {
    return dynamic_cast<CVantrelDlg*>(CDialogEx::FromHandle(::GetParent(m_hWnd)));
}

// Both windows leave the screen, frame first, and the screen gets time to redraw beneath them.
void COperationDlg::HideWindows(CVantrelDlg& frame) {
    ::ShowWindow(frame.GetSafeHwnd(), SW_HIDE);
    ::ShowWindow(m_hWnd, SW_HIDE);
    ::Sleep(kHiddenSettleMs);
}

void COperationDlg::ShowWindows(CVantrelDlg& frame) {
    ::ShowWindow(frame.GetSafeHwnd(), SW_SHOW);
    ::ShowWindow(m_hWnd, SW_SHOW);
}

// Called for command 1001: the screen under the frame goes straight to the clipboard; the held
// picture and the frame's look stay as they are.
void COperationDlg::OnCaptureToClipboard() {
    CVantrelDlg* frame = Frame();
    if (!frame)
        return;
    HideWindows(*frame);
    platform::UniqueBitmap shot = panel::CopyScreenUnderClient(frame->GetSafeHwnd());
    const bool captured = static_cast<bool>(shot);
    const auto result = captured ? platform::PutBitmapOnClipboard(m_hWnd, std::move(shot))
                                 : platform::ClipboardResult::Refused;
    ShowWindows(*frame);
    if (!captured)
        platform::ShowMessage(m_hWnd, panel::kCaptureFailedText);
    else
        ReportClipboard(result);
}

// Called for Capture: freezes the screen under the frame and shows it in the frame.
void COperationDlg::OnCapture() {
    if (!Permitted(m_hWnd, panel::Command::Capture, m_bCaptured != 0))
        return;
    CVantrelDlg* frame = Frame();
    if (!frame)
        return;
    HideWindows(*frame);
    platform::UniqueBitmap shot = panel::CopyScreenUnderClient(frame->GetSafeHwnd());
    if (!shot) {
        // Nothing is held: the frame stays see-through and the user is told.
        ShowWindows(*frame);
        platform::ShowMessage(m_hWnd, panel::kCaptureFailedText);
        return;
    }
    m_bmpCapture = std::move(shot);
    m_bCaptured = 1;
    frame->ShowPicture(m_bmpCapture.get());
    ShowWindows(*frame);
    frame->SettlePictureLook();
}

// Called for Clear: the frame becomes see-through again and the picture is let go.
void COperationDlg::OnClear() {
    m_bCaptured = 0;
    if (CVantrelDlg* frame = Frame())
        frame->ShowSeeThrough();
    // The frame no longer shows the picture, so it can go.
    m_bmpCapture.reset();
}

// Called for Copy: the clipboard gets a copy of its own, so the held picture stays valid for
// showing, copying and saving whatever the clipboard later does with its bitmap.
void COperationDlg::OnCopy() {
    if (!Permitted(m_hWnd, panel::Command::Copy, m_bCaptured != 0))
        return;
    platform::UniqueBitmap copy = panel::DuplicateBitmap(m_bmpCapture.get());
    ReportClipboard(copy ? platform::PutBitmapOnClipboard(m_hWnd, std::move(copy))
                         : platform::ClipboardResult::Refused);
}

// Called for Save: asks for a file name and writes the held picture in the format its extension
// selects. A cancelled dialog says nothing; a save that writes nothing says so. The picture and the
// panel's state never change.
void COperationDlg::OnSave() {
    if (!Permitted(m_hWnd, panel::Command::Save, m_bCaptured != 0))
        return;
    platform::SaveDialogSettings settings;
    settings.defaultExtension = L"bmp";
    settings.initialName = L"無題";
    settings.types = platform::ParseFileFilter(panel::kSaveFilter);
    // The dialog is modal to the panel; the frame is held still while it is up.
    HWND frame = ::GetParent(m_hWnd);
    const bool frameWasEnabled = frame && ::IsWindowEnabled(frame);
    if (frameWasEnabled)
        ::EnableWindow(frame, FALSE);
    const std::optional<std::wstring> path = platform::AskSavePath(m_hWnd, settings);
    if (frameWasEnabled)
        ::EnableWindow(frame, TRUE);
    if (!path)
        return;
    switch (panel::SavePictureFile(m_bmpCapture.get(), *path)) {
    case panel::SaveOutcome::Saved: break;
    case panel::SaveOutcome::NoEncoder: platform::ShowMessage(m_hWnd, panel::kSaveNoEncoderText); break;
    case panel::SaveOutcome::Failed: platform::ShowMessage(m_hWnd, panel::kSaveFailedText); break;
    }
}

// Called when Right Pos is ticked or unticked: docks the panel on the chosen side at once.
void COperationDlg::OnRightPos() {
    UpdateData(true);
    if (CVantrelDlg* frame = Frame())
        frame->PlacePanel();
}

// A press on the panel's caption drags the frame, which the panel follows. A press handled after the
// button is already up (a quick click, or the end of the forwarded drag) is not passed on to any
// window: default handling would start a move with no button held and the window would stick to the
// pointer. The panel is activated instead, so its tooltips keep working.
LRESULT COperationDlg::OnNcLButtonDown(WPARAM hitTest, LPARAM point) {
    if (hitTest == HTCAPTION) {
        if (CVantrelDlg* frame = Frame()) {
            const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
            auto held = [button] { return (::GetAsyncKeyState(button) & 0x8000) != 0; };
            if (held())
                ::SendMessageW(frame->GetSafeHwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
            if (!held()) {
                ::SetActiveWindow(m_hWnd);
                return 0;
            }
        }
    }
    return Default(WM_NCLBUTTONDOWN, hitTest, point);
}

void COperationDlg::ReportClipboard(platform::ClipboardResult result) {
    switch (result) {
    case platform::ClipboardResult::Done: break;
    case platform::ClipboardResult::Busy: platform::ShowMessage(m_hWnd, panel::kClipboardBusyText); break;
    case platform::ClipboardResult::Refused:
        platform::ShowMessage(m_hWnd, panel::kClipboardRefusedText);
        break;
    }
}
