#pragma once
// The capture frame: a see-through, always-on-top, resizable dialog whose client area marks the
// region of the screen to capture, with its inner size in the caption.

#include "platform/dialog.h"

class CVantrelDlg : public platform::CDialogEx {
public:
    CVantrelDlg() noexcept;

    void UpdateTitle();

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnSysCommand(UINT command, LPARAM lp);
    void OnPaint();
    void OnSize(UINT type, LPARAM lp);
    void AppendAboutItem();

    HICON m_hIcon; // shared icon from the resources: never destroyed
};

// Key colour of the see-through look: pixels of this colour are neither drawn nor hit.
constexpr COLORREF kKeyColour = RGB(1, 0, 0);
