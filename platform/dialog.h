#pragma once
// Dialogs from numbered templates: modal runs with the program's message loop, modeless owned pop-ups,
// centring after initialisation, data exchange and OK/Cancel handling.

#include <windows.h>

#include <string>

namespace platform {

// A window's whole text, however long.
std::wstring WindowText(HWND wnd);

// Moves values between a dialog's controls and its members; save = true reads the controls.
class DataExchange {
public:
    DataExchange(HWND dlg, bool save) noexcept : m_dlg(dlg), m_save(save) {}
    bool IsSaving() const noexcept { return m_save; }
    void Text(int id, std::wstring& value);
    void Check(int id, bool& value);

private:
    HWND m_dlg;
    bool m_save;
};

class CDialogEx {
public:
    CDialogEx(UINT templateId, HWND parent) noexcept;
    virtual ~CDialogEx();
    CDialogEx(const CDialogEx&) = delete;
    CDialogEx& operator=(const CDialogEx&) = delete;

    INT_PTR DoModal();
    bool Create(HWND parent);
    virtual bool DestroyWindow();

    HWND GetSafeHwnd() const noexcept { return m_wnd; }
    void EndDialog(int result);
    bool UpdateData(bool save);

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange&) {}
    virtual void OnOK();
    virtual void OnCancel();
    // WM_COMMAND by id; true when handled. The base answers IDOK and IDCANCEL.
    virtual bool OnCommand(UINT id, UINT code);
    virtual bool PreTranslateMessage(MSG& msg);
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
    // Called by an initialisation hook that placed the dialog itself: it is then not centred, even where
    // it landed on its template's place.
    void KeepPlacement() noexcept { m_placed = true; }

    HWND m_wnd = nullptr;

private:
    static INT_PTR CALLBACK StaticDlgProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK StaticWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    friend bool PreTranslateForDialogs(MSG& msg);

    BOOL HandleInitDialog(HWND wnd);
    void CentreIfUnplaced(const RECT& before);
    void Detach();

    UINT m_templateId;
    HWND m_parent;
    WNDPROC m_dialogClassProc = nullptr;
    bool m_modal = false;
    bool m_endModal = false;
    bool m_placed = false;
    int m_result = -1;
};

// Gives the dialog that owns msg.hwnd the first look at a queued message; true when it was handled.
bool PreTranslateForDialogs(MSG& msg);

// True when wnd is the window of one of the program's dialogs.
bool IsProgramDialog(HWND wnd) noexcept;

} // namespace platform
