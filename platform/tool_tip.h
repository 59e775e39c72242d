#pragma once
// A tooltip control that draws itself: an icon column, a label and a description under it, in the look
// of a parameter record. It sits on the system's tooltip control, which keeps tracking the tools and
// timing the tips; this object sizes, shapes and paints each tip when it is shown.

#include "platform/subclass.h"
#include "platform/tooltip_look.h"
#include "platform/unique_handle.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace platform {

class CToolTipCtrlEx : public CSubclassWnd {
public:
    CToolTipCtrlEx() = default;
    ~CToolTipCtrlEx() override;

    // Makes the tooltip window, a borderless pop-up owned by owner, with the tooltip styles given.
    bool Create(HWND owner, DWORD style = 0);
    void Activate(bool active);
    void SetParams(const ToolTipParams& params);
    // The look a record that follows the display is shown in on a display that can carry it; the
    // default record until set.
    void SetStyledLook(const ToolTipParams& styled);
    // Registers a control (by its window) whose tip shows label.
    bool AddTool(HWND tool, const std::wstring& label);
    // Passes a queued message on to the control so it can show or hide tips.
    void RelayEvent(const MSG& msg);
    // Hides the tip that shows, at once (a tip outlives its owner's hiding).
    void Pop();
    // The owner hands on each WM_NOTIFY from this control; true when it was answered (result set).
    bool ReflectNotify(const NMHDR& header, LRESULT& result);
    // The description shown under the label of the next tip; tabs become four spaces.
    void SetTipDescription(const std::wstring& description);
    // The display scale the tips are drawn at: their fonts, margins, icon, corners and wrapping width. The
    // owner's scale when the tooltip is made; the owner gives the new one when its scale changes.
    void SetDpi(int dpi);

protected:
    // Called when a tip is about to show: takes the look, measures, sizes and places the tip.
    virtual bool OnShow(const NMHDR& header, LRESULT& result);
    // The icon column's size at the display scale dpi.
    virtual SIZE QueryIconSize(int /*dpi*/) { return SIZE{0, 0}; }
    // Draws the icon of the tip being shown to fill rect; false when there is none.
    virtual bool DrawTipIcon(HDC, const RECT&) { return false; }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    struct Tool {
        HWND window;
        std::wstring label;
    };

    bool IsBalloon() const;
    void LoadFonts();
    std::wstring LabelOf(HWND tool) const;
    Size MeasureLabel(HDC dc);
    Size MeasureDescription(HDC dc);
    void ApplyShape();
    void OnPaint();
    void OnShowWindow(bool shown);
    void Paint(HDC target);
    void DrawTip(HDC dc, Size size);
    void FillBackground(HDC dc, Size size, const TipColours& colours) const;

    std::vector<Tool> m_tools;
    ToolTipParams m_params;
    ToolTipParams m_styledLook;
    std::wstring m_description;
    int m_dpi = kDefaultDpi; // the scale tips are drawn at
    int m_fontDpi = 0;       // the scale the fonts were made for
    UniqueFont m_font;       // the system's status font
    UniqueFont m_boldFont;   // its bold twin, for a label over a description

    // The tip being shown, as measured when it was shown.
    ToolTipParams m_look;
    std::wstring m_label;
    bool m_boldLabel = false;
    std::wstring m_shownDescription; // kept while the tip shows, whatever happens to m_description
    std::vector<TextLine> m_lines;   // m_shownDescription, wrapped
    int m_lineHeight = 0;
    TipLayout m_layout;
};

} // namespace platform
