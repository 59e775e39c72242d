#pragma once
// The operation panel docked beside the frame: it holds the captured picture and runs the capture
// cycle's commands (Capture, Clear, Copy, Save, and 1001, a capture straight to the clipboard).

#include "platform/clipboard.h"
#include "platform/dialog.h"
#include "platform/unique_handle.h"

class CVantrelDlg;

class COperationDlg : public platform::CDialogEx {
public:
    COperationDlg() noexcept;

    BOOL m_bCaptured = 0;                // 1 while a picture is held
    platform::UniqueBitmap m_bmpCapture; // the held picture; the panel is its one owner
    BOOL m_bRightPos = 1;                // docked on the frame's right; bound to the Right Pos box

protected:
    void DoDataExchange(platform::DataExchange& dx) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCommand(UINT id, UINT code) override;

private:
    void OnCaptureToClipboard();
    void OnCapture();
    void OnClear();
    void OnCopy();
    void OnSave();
    void OnRightPos();
    LRESULT OnNcLButtonDown(WPARAM hitTest, LPARAM point);

    CVantrelDlg* Frame() const;
    void HideWindows(CVantrelDlg& frame);
    void ShowWindows(CVantrelDlg& frame);
    void ReportClipboard(platform::ClipboardResult result);
};
