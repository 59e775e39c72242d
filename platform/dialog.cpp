#include "platform/dialog.h"

#include "platform/app.h"
#include "platform/modal_scope.h"
#include "platform/monitors.h"
#include "platform/rect_win.h"

#include <vector>

namespace platform {

namespace {

// Window property that leads from a dialog's window to its object.
constexpr wchar_t kObjectProp[] = L"Vantrel.Dialog";

CDialogEx* FromWindow(HWND wnd) noexcept {
    return static_cast<CDialogEx*>(::GetPropW(wnd, kObjectProp));
}

} // namespace

std::wstring WindowText(HWND wnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(wnd)) + 1, L'\0');
    const int length = ::GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

void DataExchange::Text(int id, std::wstring& value) {
    HWND ctl = ::GetDlgItem(m_dlg, id);
    if (m_save)
        value = WindowText(ctl);
    else
        ::SetWindowTextW(ctl, value.c_str());
}

void DataExchange::Check(int id, bool& value) {
    if (m_save)
        value = ::IsDlgButtonChecked(m_dlg, id) == BST_CHECKED;
    else
        ::CheckDlgButton(m_dlg, id, value ? BST_CHECKED : BST_UNCHECKED);
}

CDialogEx::CDialogEx(UINT templateId, HWND parent) noexcept : m_templateId(templateId), m_parent(parent) {}

CDialogEx::~CDialogEx() {
    // The window must not outlive the object its procedure calls into.
    if (m_wnd)
        ::DestroyWindow(m_wnd);
}

INT_PTR CDialogEx::DoModal() {
    HWND owner = m_parent;
    if (!owner) {
        if (CWinApp* app = CWinApp::Current())
            owner = app->MainWindowHandle();
    }
    // The owner is disabled for the run, and so are the program's other windows; a disabled owner is also
    // what lets the dialog centre itself.
    const ModalScope others(owner);
    bool reenableOwner = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        reenableOwner = true;
    }

    m_modal = true;
    m_endModal = false;
    m_result = -1;
    HWND wnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                    StaticDlgProc, reinterpret_cast<LPARAM>(this));
    if (wnd) {
        // A template without WS_VISIBLE is shown once initialised, as a modal dialog must be seen.
        if (m_wnd && !m_endModal && !::IsWindowVisible(m_wnd))
            ::ShowWindow(m_wnd, SW_SHOWNORMAL);
        while (!m_endModal) {
            MSG msg;
            BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                // WM_QUIT belongs to an outer loop: hand it back and end this run.
                if (got == 0)
                    ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!PreTranslateForDialogs(msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        if (m_wnd)
            ::SetWindowPos(m_wnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    // Re-enable and activate the owner before destroying, so activation does not wander to another program.
    if (reenableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && m_wnd && ::GetActiveWindow() == m_wnd)
        ::SetActiveWindow(owner);
    if (m_wnd)
        DestroyWindow();
    m_modal = false;
    return m_result;
}

bool CDialogEx::Create(HWND parent) {
    m_parent = parent;
    m_modal = false;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                StaticDlgProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool CDialogEx::DestroyWindow() {
    return m_wnd && ::DestroyWindow(m_wnd);
}

void CDialogEx::EndDialog(int result) {
    m_result = result;
    if (m_modal)
        m_endModal = true;
    else if (m_wnd)
        ::ShowWindow(m_wnd, SW_HIDE);
}

bool CDialogEx::UpdateData(bool save) {
    if (!m_wnd)
        return false;
    DataExchange dx(m_wnd, save);
    DoDataExchange(dx);
    return true;
}

BOOL CDialogEx::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialogEx::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialogEx::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialogEx::PreTranslateMessage(MSG& msg) {
    return ::IsDialogMessageW(m_wnd, &msg) != FALSE;
}

bool CDialogEx::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDOK: OnOK(); return true;
    case IDCANCEL: OnCancel(); return true;
    }
    return false;
}

LRESULT CDialogEx::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (OnCommand(LOWORD(wp), HIWORD(wp)))
            return 0;
        break;
    }
    return Default(msg, wp, lp);
}

LRESULT CDialogEx::Default(UINT msg, WPARAM wp, LPARAM lp) {
    return ::CallWindowProcW(m_dialogClassProc, m_wnd, msg, wp, lp);
}

INT_PTR CALLBACK CDialogEx::StaticDlgProc(HWND wnd, UINT msg, WPARAM, LPARAM lp) {
    // Everything after WM_INITDIALOG reaches the object through StaticWndProc instead.
    if (msg == WM_INITDIALOG)
        return reinterpret_cast<CDialogEx*>(lp)->HandleInitDialog(wnd);
    return FALSE;
}

LRESULT CALLBACK CDialogEx::StaticWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    CDialogEx* self = FromWindow(wnd);
    if (!self)
        return ::DefDlgProcW(wnd, msg, wp, lp);
    LRESULT result = self->WindowProc(msg, wp, lp);
    if (msg == WM_NCDESTROY)
        self->Detach();
    return result;
}

BOOL CDialogEx::HandleInitDialog(HWND wnd) {
    m_wnd = wnd;
    ::SetPropW(wnd, kObjectProp, this);
    // Subclass the dialog so every later message goes through WindowProc, with the dialog
    // class procedure as the default handling.
    m_dialogClassProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
    if (CWinApp* app = CWinApp::Current())
        app->NoteWindowCreated(this, wnd);

    RECT before{};
    ::GetWindowRect(wnd, &before);
    const LONG styleBefore = ::GetWindowLongW(wnd, GWL_STYLE);
    m_placed = false;
    BOOL focusDefault = OnInitDialog();
    if (!(styleBefore & WS_VISIBLE) && !m_placed)
        CentreIfUnplaced(before);
    return focusDefault;
}

// A dialog that is still hidden after its initialisation, was not placed by it or by its template,
// and has no enabled owner (a modal dialog has disabled its owner by then) is centred on the screen: on
// the work area of the monitor its owner is on, or of its own monitor when it has no owner shown.
void CDialogEx::CentreIfUnplaced(const RECT& before) {
    const LONG style = ::GetWindowLongW(m_wnd, GWL_STYLE);
    if (style & (WS_VISIBLE | WS_CHILD | DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN))
        return;
    RECT now{};
    ::GetWindowRect(m_wnd, &now);
    if (now.left != before.left || now.top != before.top)
        return;
    HWND owner = ::GetWindow(m_wnd, GW_OWNER);
    if (owner && ::IsWindowEnabled(owner))
        return;

    RECT on = now;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &on);
    const Rect work = WorkAreaFor(ToRect(on));
    const Rect placed = CentreRectIn(work, work, now.right - now.left, now.bottom - now.top);
    ::SetWindowPos(m_wnd, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDialogEx::Detach() {
    ::RemovePropW(m_wnd, kObjectProp);
    if (CWinApp* app = CWinApp::Current())
        app->NoteWindowDestroyed(this);
    m_wnd = nullptr;
    m_endModal = true;
}

bool IsProgramDialog(HWND wnd) noexcept {
    return FromWindow(wnd) != nullptr;
}

bool PreTranslateForDialogs(MSG& msg) {
    if (!msg.hwnd)
        return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    CDialogEx* dlg = root ? FromWindow(root) : nullptr;
    return dlg && dlg->PreTranslateMessage(msg);
}

} // namespace platform
