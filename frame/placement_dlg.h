#pragma once
// The placement dialog: the frame's client area typed as a screen position and a size, or a size chosen
// from a list of common ones. It answers a checked rectangle; the frame applies it.

#include "frame/placement_rules.h"
#include "platform/dialog.h"

class CPlacementDlg : public platform::CDialogEx {
public:
    // current: the frame's client area on the screen. While a picture is held only the position can change.
    CPlacementDlg(HWND frame, const platform::Rect& current, bool pictureHeld, frame::Desktop desktop);

    // The checked client rectangle, once the dialog has ended with IDOK.
    const platform::Rect& Chosen() const noexcept { return m_chosen; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(platform::DataExchange& dx) override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code) override;

private:
    void FillSizeList();
    void OnSizeChosen();

    platform::Rect m_current;
    bool m_pictureHeld;
    frame::PlacementFields m_typed; // bound to the four fields
    frame::Desktop m_desktop;
    platform::Rect m_chosen;
};
