#pragma once
// The settings dialog: the quick shots' folder (with the system's folder picker) and file-name pattern
// (with the next name shown as it is typed), the clipboard copy, the two hotkeys (a key another program
// holds, or one key for both, is shown beside its field) and the series' interval and count. OK checks and
// answers the settings; the frame stores and applies them.

#include "platform/dialog.h"
#include "settings/settings_rules.h"

class CSettingsDlg : public platform::CDialogEx {
public:
    // current: the settings in force. The frame's hotkeys are let go while the dialog is up, so that their
    // keys can be typed into the fields and a key is shown as held only when another program holds it.
    CSettingsDlg(HWND frame, settings::Settings current);

    // The checked settings, once the dialog has ended with IDOK.
    const settings::Settings& Chosen() const noexcept { return m_chosen; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(platform::DataExchange& dx) override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code) override;
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnBrowse();
    void ShowPreview();
    void ShowHotkeyNotes();

    settings::Settings m_current;
    settings::TypedSettings m_typed; // bound to the fields
    settings::Settings m_chosen;
};
