#include "platform/subclass.h"

#include <commctrl.h>

namespace platform {

namespace {
constexpr UINT_PTR kSubclassId = 0x56414E; // one subclass of ours per control
} // namespace

CSubclassWnd::~CSubclassWnd() {
    UnsubclassWindow();
}

bool CSubclassWnd::SubclassDlgItem(int id, HWND dialog) {
    return SubclassWindow(::GetDlgItem(dialog, id));
}

// Takes over wnd; false when this object already holds a window or wnd cannot be taken over.
bool CSubclassWnd::SubclassWindow(HWND wnd) {
    if (m_wnd || !wnd || !::SetWindowSubclass(wnd, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_wnd = wnd;
    return true;
}

void CSubclassWnd::UnsubclassWindow() {
    if (!m_wnd)
        return;
    ::RemoveWindowSubclass(m_wnd, Proc, kSubclassId);
    m_wnd = nullptr;
}

LRESULT CSubclassWnd::Default(UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefSubclassProc(m_wnd, msg, wp, lp);
}

LRESULT CALLBACK CSubclassWnd::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<CSubclassWnd*>(data);
    if (msg == WM_NCDESTROY) {
        // The control is going away: let go of it before the last message passes on.
        self->m_wnd = nullptr;
        ::RemoveWindowSubclass(wnd, Proc, kSubclassId);
        return ::DefSubclassProc(wnd, msg, wp, lp);
    }
    return self->WindowProc(msg, wp, lp);
}

} // namespace platform
