#pragma once
// The capture frame: a see-through, always-on-top, resizable dialog whose client area marks the
// region of the screen to capture, with its inner size in the caption and the operation panel
// docked beside it.

#include "panel/operation_dlg.h"
#include "platform/dialog.h"

class CVantrelDlg : public platform::CDialogEx {
public:
    CVantrelDlg() noexcept;

    BOOL DestroyWindow() override;
    void UpdateTitle();
    void PlacePanel();

    // The two looks: see-through (client area in the key colour) and picture (opaque, white, with
    // the picture at the top-left). The picture is borrowed: its owner keeps it alive while shown.
    void ShowSeeThrough();
    void ShowPicture(HBITMAP borrowed);
    // Makes sure the picture look holds once the frame is visible again (see the definition).
    void SettlePictureLook();

    COperationDlg m_dlgOperation;

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnSysCommand(UINT command, LPARAM lp);
    void OnPaint();
    void OnMove(LPARAM lp);
    void OnSize(UINT type, LPARAM lp);
    LRESULT OnNcHitTest(LPARAM lp);
    void AppendAboutItem();
    void ChangeExStyle(DWORD remove, DWORD add);
    bool PanelExists() const;

    HICON m_hIcon; // shared icon from the resources: never destroyed
};

// Key colour of the see-through look: pixels of this colour are neither drawn nor hit.
constexpr COLORREF kKeyColour = RGB(1, 0, 0);
