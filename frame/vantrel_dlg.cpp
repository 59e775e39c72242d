#include "frame/vantrel_dlg.h"

#include "about/about_dlg.h"
#include "frame/frame_logic.h"
#include "platform/gdi_scope.h"
#include "res/resource.h"

CVantrelDlg::CVantrelDlg() noexcept
    : CDialogEx(IDD_VANTREL_DIALOG, nullptr),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

BOOL CVantrelDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    AppendAboutItem();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // The template makes the frame layered; the key colour makes its client area see-through.
    ::SetLayeredWindowAttributes(m_hWnd, kKeyColour, 0, LWA_COLORKEY);
    SetBackgroundColor(kKeyColour, true);
    UpdateTitle();
    return TRUE;
}

// Adds a separator and the About item to the window menu; a missing or empty text adds neither.
void CVantrelDlg::AppendAboutItem() {
    HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (!menu)
        return;
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0)
        return;
    const std::wstring item(text, static_cast<size_t>(length));
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, 0x0010, item.c_str());
}

void CVantrelDlg::UpdateTitle() {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    ::SetWindowTextW(m_hWnd,
                     frame::FormatCaption(client.right - client.left, client.bottom - client.top).c_str());
}

LRESULT CVantrelDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(wp), lp); return 0;
    case WM_PAINT:
        if (::IsIconic(m_hWnd)) {
            OnPaint();
            return 0;
        }
        break;
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_SIZE: OnSize(static_cast<UINT>(wp), lp); return 0;
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
    platform::PaintScope paint(m_hWnd);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int x = frame::IconOffset(client.right - client.left, ::GetSystemMetrics(SM_CXICON));
    const int y = frame::IconOffset(client.bottom - client.top, ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(paint.dc(), x, y, m_hIcon);
}

// Called after every size change, minimising included: the caption follows the client size.
void CVantrelDlg::OnSize(UINT type, LPARAM lp) {
    Default(WM_SIZE, type, lp);
    UpdateTitle();
}
