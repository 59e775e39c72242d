#pragma once
// What the operation panel needs of the window it is docked beside: that window, its two looks and the
// docking. The frame implements it and hands itself to the panel it embeds, so the panel never needs the
// frame's own class.

#include "settings/settings_rules.h"

#include <windows.h>

namespace panel {

class PanelHost {
public:
    // The host's window: the panel's owner, hidden and shown around a capture, copied from by a capture
    // and dragged by the panel's caption.
    virtual HWND HostWindow() const noexcept = 0;
    // The see-through look, the picture look (the picture is borrowed: the panel keeps it alive while it
    // is shown) and settling the picture look once the host is visible again.
    virtual void ShowSeeThrough() = 0;
    virtual void ShowPicture(HBITMAP borrowed) = 0;
    virtual void SettlePictureLook() = 0;
    // Docks the panel beside the host on the side the panel chooses.
    virtual void PlacePanel() = 0;
    // The settings in force: where quick shots go, their names, the clipboard copy, the series.
    virtual const settings::Settings& CurrentSettings() const noexcept = 0;
    // True while the host's window menu is open: it may lie over the region, so no quick shot is taken.
    virtual bool MenuOpen() const noexcept = 0;

protected:
    PanelHost() = default;
    ~PanelHost() = default;
    PanelHost(const PanelHost&) = delete;
    PanelHost& operator=(const PanelHost&) = delete;
};

} // namespace panel
