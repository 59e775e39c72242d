#pragma once
// The panel's rich tips: the description and icon of the control under the pointer are chosen when its
// tip is shown.

#include "platform/tool_tip.h"

class COperationToolTipCtr : public platform::CToolTipCtrlEx {
public:
    COperationToolTipCtr() = default;

    int m_nCtrlID = 0; // control whose tip is being shown; written at every show

protected:
    bool OnShow(const NMHDR& header, LRESULT& result) override;
    SIZE QueryIconSize(int dpi) override;
    bool DrawTipIcon(HDC dc, const RECT& rect) override;
};
