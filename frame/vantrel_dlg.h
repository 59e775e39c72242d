#pragma once
// The capture frame: a see-through, always-on-top, resizable dialog whose client area marks the
// region of the screen to capture, with its inner size in the caption and the operation panel
// docked beside it.

#include "frame/placement_rules.h"
#include "frame/window_menu.h"
#include "panel/operation_dlg.h"
#include "platform/dialog.h"
#include "platform/rect.h"
#include "platform/unique_handle.h"
#include "settings/hotkeys.h"
#include "settings/settings_rules.h"

#include <optional>

// Key colour of the see-through look: pixels of this colour are neither drawn nor hit.
constexpr COLORREF kKeyColour = RGB(1, 0, 0);

class CVantrelDlg : public platform::CDialogEx, private panel::PanelHost {
public:
    CVantrelDlg() noexcept;

    bool DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool PreTranslateMessage(MSG& msg) override;

private:
    // What the panel asks of its host. The two looks: see-through (client area in the key colour) and
    // picture (opaque, white, with the picture at the top-left).
    HWND HostWindow() const noexcept override { return m_wnd; }
    void ShowSeeThrough() override;
    void ShowPicture(HBITMAP borrowed) override;
    void SettlePictureLook() override;
    void PlacePanel() override;
    const settings::Settings& CurrentSettings() const noexcept override { return m_settings; }
    bool MenuOpen() const noexcept override { return m_menuOpen; }

    void UpdateTitle();
    void SetBackground(COLORREF colour, HBITMAP borrowed);
    void RepaintLook();
    void OnSysCommand(UINT command, LPARAM lp);
    void OnPaint();
    void OnMove(LPARAM lp);
    void OnSize(UINT type, LPARAM lp);
    LRESULT OnNcHitTest(LPARAM lp);
    void OnDpiChanged(int dpi, const RECT& suggested);
    bool OnGetDpiScaledSize(int dpi, SIZE& size);
    bool OnEraseBkgnd(HDC dc);
    void OnInitWindowMenu();
    bool OnArrowKey(UINT virtualKey);
    void OnPlacement();
    void OnShowPanel();
    void OnDefaultPlacement();
    void OnFitToWindowBelow();
    void OnSettings();
    void OnHotkey(WPARAM id);
    void OnRecord();
    void OnHotkeysRefused();
    bool MayEnd();
    void OnEndWithoutAsking();
    void OnEndSession();
    void AppendAboutItem();
    void AppendWindowMenuItems();
    void ChangeExStyle(DWORD remove, DWORD add);
    bool PanelExists() const;

    // Placement of the frame by its client area, in screen pixels.
    frame::Desktop GatherDesktop() const;
    frame::WindowMenuState MenuState() const;
    platform::Rect ClientOnScreen() const;
    void MoveClientTo(const platform::Rect& client);
    void NoteClientRect();
    platform::Rect NonClientMargins() const;
    frame::RestoredFrame ReadRememberedFrame() const;
    void RememberFrame() const;

    HICON m_hIcon;                      // shared icon from the resources: never destroyed
    platform::UniqueBrush m_background; // the key colour or white
    HBITMAP m_picture = nullptr;        // borrowed from the panel, which keeps it alive while it is shown
    bool m_followsWineShapes;           // the looks change as Wine's X11 driver needs (under Wine)
    COLORREF m_key = kKeyColour;        // the see-through look's key colour
    frame::Size m_templateClient;       // the client area's size from the template, for the default placement
    std::optional<platform::Rect> m_lastClient; // the client area on the screen when last seen not minimised
    std::optional<platform::Rect> m_movingTo;   // where a move of the program's own puts the client area
    // The client area's size the frame answered the system for a coming change of scale
    // (WM_GETDPISCALEDSIZE), until that change (WM_DPICHANGED).
    struct ScaledClient {
        int dpi;
        frame::Size size;
    };
    std::optional<ScaledClient> m_scaledClient;
    bool m_placingPanel = false;        // PlacePanel is under way
    bool m_asking = false;              // the question before the end is up
    bool m_endingWithoutAsking = false; // the console or the session is going away
    bool m_menuOpen = false;            // the window menu is open
    settings::Settings m_settings;      // read at start, changed by the settings dialog
    settings::Hotkeys m_hotkeys;        // registered on this window while it exists
    COperationDlg m_dlgOperation;
};
