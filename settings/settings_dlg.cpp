#include "settings/settings_dlg.h"

#include "platform/folder_dialog.h"
#include "platform/message_box.h"
#include "quick/quick_file.h"
#include "settings/hotkeys.h"
#include "res/resource.h"

#include <commctrl.h>

#include <utility>

namespace {

// Posted to the dialog after a key reached a hotkey field: the control clears itself on some keys without
// telling its parent, so the notes are looked at again once the key is handled.
constexpr UINT kRefreshHotkeyNotes = WM_APP + 1;

// Longer than any path the file calls take.
constexpr WPARAM kFolderLength = 32767;
constexpr WPARAM kPatternLength = 255;
constexpr WPARAM kNumberLength = 12;

int FieldId(settings::SettingsField field) {
    switch (field) {
    case settings::SettingsField::QuickFolder: return IDC_SET_FOLDER;
    case settings::SettingsField::QuickName: return IDC_SET_PATTERN;
    case settings::SettingsField::HotkeyQuick: return IDC_SET_HOTKEY_QUICK;
    case settings::SettingsField::HotkeyRecord: return IDC_SET_HOTKEY_RECORD;
    case settings::SettingsField::SeriesSeconds: return IDC_SET_SERIES_SECONDS;
    case settings::SettingsField::SeriesCount: return IDC_SET_SERIES_COUNT;
    }
    return IDC_SET_FOLDER;
}

std::uint32_t HotkeyIn(HWND dialog, int id) {
    return static_cast<std::uint32_t>(::SendDlgItemMessageW(dialog, id, HKM_GETHOTKEY, 0, 0)) & 0xFFFF;
}

} // namespace

CSettingsDlg::CSettingsDlg(HWND frame, settings::Settings current)
    : CDialogEx(IDD_SETTINGS, frame), m_current(std::move(current)), m_chosen(m_current) {
    m_typed.quickFolder = m_current.quickFolder;
    m_typed.quickName = m_current.quickName;
    m_typed.quickCopy = m_current.quickCopy;
    m_typed.hotkeyQuick = m_current.hotkeyQuick;
    m_typed.hotkeyRecord = m_current.hotkeyRecord;
    m_typed.seriesSeconds = std::to_wstring(m_current.seriesSeconds);
    m_typed.seriesCount = std::to_wstring(m_current.seriesCount);
}

// Called when the dialog is made: the fields show the settings in force, the next name and the hotkeys'
// notes.
BOOL CSettingsDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    ::SendDlgItemMessageW(m_wnd, IDC_SET_FOLDER, EM_LIMITTEXT, kFolderLength, 0);
    ::SendDlgItemMessageW(m_wnd, IDC_SET_PATTERN, EM_LIMITTEXT, kPatternLength, 0);
    for (int id : {IDC_SET_SERIES_SECONDS, IDC_SET_SERIES_COUNT})
        ::SendDlgItemMessageW(m_wnd, id, EM_LIMITTEXT, kNumberLength, 0);
    ShowPreview();
    ShowHotkeyNotes();
    return TRUE;
}

void CSettingsDlg::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(IDC_SET_FOLDER, m_typed.quickFolder);
    dx.Text(IDC_SET_PATTERN, m_typed.quickName);
    dx.Check(IDC_SET_COPY, m_typed.quickCopy);
    dx.Text(IDC_SET_SERIES_SECONDS, m_typed.seriesSeconds);
    dx.Text(IDC_SET_SERIES_COUNT, m_typed.seriesCount);
    if (dx.IsSaving()) {
        m_typed.hotkeyQuick = HotkeyIn(m_wnd, IDC_SET_HOTKEY_QUICK);
        m_typed.hotkeyRecord = HotkeyIn(m_wnd, IDC_SET_HOTKEY_RECORD);
    } else {
        ::SendDlgItemMessageW(m_wnd, IDC_SET_HOTKEY_QUICK, HKM_SETHOTKEY, m_typed.hotkeyQuick & 0xFFFF, 0);
        ::SendDlgItemMessageW(m_wnd, IDC_SET_HOTKEY_RECORD, HKM_SETHOTKEY, m_typed.hotkeyRecord & 0xFFFF, 0);
    }
}

bool CSettingsDlg::OnCommand(UINT id, UINT code) {
    switch (id) {
    case IDC_SET_BROWSE:
        if (code != BN_CLICKED)
            return false;
        OnBrowse();
        return true;
    case IDC_SET_FOLDER:
    case IDC_SET_PATTERN:
        if (code != EN_CHANGE)
            return false;
        ShowPreview();
        return true;
    case IDC_SET_HOTKEY_QUICK:
    case IDC_SET_HOTKEY_RECORD:
        if (code != EN_CHANGE)
            return false;
        ShowHotkeyNotes();
        return true;
    }
    return CDialogEx::OnCommand(id, code);
}

bool CSettingsDlg::PreTranslateMessage(MSG& msg) {
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST &&
        (msg.hwnd == ::GetDlgItem(m_wnd, IDC_SET_HOTKEY_QUICK) ||
         msg.hwnd == ::GetDlgItem(m_wnd, IDC_SET_HOTKEY_RECORD)))
        ::PostMessageW(m_wnd, kRefreshHotkeyNotes, 0, 0);
    return CDialogEx::PreTranslateMessage(msg);
}

LRESULT CSettingsDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRefreshHotkeyNotes) {
        ShowHotkeyNotes();
        return 0;
    }
    return CDialogEx::WindowProc(msg, wp, lp);
}

// Called for the browse button: the system's folder picker, starting at the folder typed.
void CSettingsDlg::OnBrowse() {
    const std::wstring typed = platform::WindowText(::GetDlgItem(m_wnd, IDC_SET_FOLDER));
    if (const std::optional<std::wstring> folder = platform::AskFolder(m_wnd, typed))
        ::SetDlgItemTextW(m_wnd, IDC_SET_FOLDER, folder->c_str());
}

// The name the next quick shot would get with the folder and pattern as typed, or why it would get none.
void CSettingsDlg::ShowPreview() {
    settings::TypedSettings typed;
    typed.quickFolder = platform::WindowText(::GetDlgItem(m_wnd, IDC_SET_FOLDER));
    typed.quickName = platform::WindowText(::GetDlgItem(m_wnd, IDC_SET_PATTERN));
    // Only the two fields matter here: the others are filled so that they pass.
    typed.seriesSeconds = L"1";
    typed.seriesCount = L"0";
    const settings::SettingsCheck check = settings::CheckTypedSettings(typed);
    std::wstring text;
    if (!check.problem.empty())
        text = check.problem;
    else
        text =
            L"次のファイル名: " + quick::NextQuickName(check.accepted.quickFolder, check.accepted.quickName);
    ::SetDlgItemTextW(m_wnd, IDC_SET_PREVIEW, text.c_str());
}

// Beside each hotkey: nothing while it can be had, else why not (one key for both, or another program
// holds it).
void CSettingsDlg::ShowHotkeyNotes() {
    const std::uint32_t quick = HotkeyIn(m_wnd, IDC_SET_HOTKEY_QUICK);
    const std::uint32_t record = HotkeyIn(m_wnd, IDC_SET_HOTKEY_RECORD);
    const struct {
        std::uint32_t word, other;
        int note;
    } fields[] = {{quick, record, IDC_SET_HOTKEY_QUICK_NOTE}, {record, quick, IDC_SET_HOTKEY_RECORD_NOTE}};
    for (const auto& f : fields) {
        const wchar_t* note = L"";
        if (f.word != 0 && f.word == f.other)
            note = L"両方に同じキーです";
        else if (!settings::IsValidHotkeyWord(f.word))
            note = L"このキーは使えません";
        else if (!settings::HotkeyAvailable(m_wnd, f.word))
            note = L"他のプログラムが使用中";
        if (platform::WindowText(::GetDlgItem(m_wnd, f.note)) != note)
            ::SetDlgItemTextW(m_wnd, f.note, note);
    }
}

// Called for OK: a field that cannot be taken keeps the dialog open, selected, with the reason; otherwise
// the dialog ends with the settings to store.
void CSettingsDlg::OnOK() {
    UpdateData(true);
    const settings::SettingsCheck check = settings::CheckTypedSettings(m_typed);
    if (!check.problem.empty()) {
        platform::ShowMessage(m_wnd, check.problem.c_str());
        HWND field = ::GetDlgItem(m_wnd, FieldId(check.field));
        ::SendMessageW(m_wnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        ::SendMessageW(field, EM_SETSEL, 0, -1);
        return;
    }
    m_chosen = check.accepted;
    EndDialog(IDOK);
}
