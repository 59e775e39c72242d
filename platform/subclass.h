#pragma once
// A control of a dialog taken over by an object: its messages go to WindowProc until it is let go.

#include <windows.h>

namespace platform {

class CSubclassWnd {
public:
    CSubclassWnd() = default;
    virtual ~CSubclassWnd();
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    bool SubclassDlgItem(int id, HWND dialog);
    bool SubclassWindow(HWND wnd);
    void UnsubclassWindow();
    HWND GetSafeHwnd() const noexcept { return m_wnd; }

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

    HWND m_wnd = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
};

} // namespace platform
