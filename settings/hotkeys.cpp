#include "settings/hotkeys.h"

#include <commctrl.h>

static_assert(settings::kHotkeyShift == HOTKEYF_SHIFT && settings::kHotkeyControl == HOTKEYF_CONTROL &&
              settings::kHotkeyAlt == HOTKEYF_ALT && settings::kHotkeyExt == HOTKEYF_EXT);
static_assert(settings::kModAlt == MOD_ALT && settings::kModControl == MOD_CONTROL &&
              settings::kModShift == MOD_SHIFT);

namespace settings {

namespace {

// The id of a trial registration, apart from the commands'.
constexpr int kTrialId = 0x7F00;
// The window timer that watches a held hotkey until its key is let go, and how often it looks.
constexpr UINT_PTR kReleaseTimer = 0x7F01;
constexpr UINT kReleaseCheckMs = 30;

// A held key repeats; without MOD_NOREPEAT each repeat would be another shot. Systems before Windows 7 do
// not know the flag and refuse it: there the hotkey goes without.
bool RegisterOne(HWND wnd, int id, std::uint32_t word) noexcept {
    const HotkeyKeys keys = KeysOfHotkey(word);
    return ::RegisterHotKey(wnd, id, keys.modifiers | MOD_NOREPEAT, keys.virtualKey) ||
           (::GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED &&
            ::RegisterHotKey(wnd, id, keys.modifiers, keys.virtualKey));
}

} // namespace

std::optional<HotkeyCommand> HotkeyCommandOf(WPARAM id) noexcept {
    switch (id) {
    case static_cast<WPARAM>(HotkeyCommand::QuickShot): return HotkeyCommand::QuickShot;
    case static_cast<WPARAM>(HotkeyCommand::Record): return HotkeyCommand::Record;
    }
    return std::nullopt;
}

void Hotkeys::Register(HWND wnd, const Settings& settings) {
    Unregister();
    m_wnd = wnd;
    m_quick = IsValidHotkeyWord(settings.hotkeyQuick) ? settings.hotkeyQuick : 0;
    m_record = IsValidHotkeyWord(settings.hotkeyRecord) ? settings.hotkeyRecord : 0;
    m_quickRefused = m_quick && !RegisterOne(wnd, static_cast<int>(HotkeyCommand::QuickShot), m_quick);
    m_recordRefused = m_record && !RegisterOne(wnd, static_cast<int>(HotkeyCommand::Record), m_record);
}

void Hotkeys::Unregister() noexcept {
    if (!m_wnd)
        return;
    ::KillTimer(m_wnd, kReleaseTimer);
    m_heldKey = 0;
    if (m_quick && !m_quickRefused)
        ::UnregisterHotKey(m_wnd, static_cast<int>(HotkeyCommand::QuickShot));
    if (m_record && !m_recordRefused)
        ::UnregisterHotKey(m_wnd, static_cast<int>(HotkeyCommand::Record));
    m_wnd = nullptr;
    m_quick = m_record = 0;
    m_quickRefused = m_recordRefused = false;
}

bool Hotkeys::Refused(HotkeyCommand command) const noexcept {
    return command == HotkeyCommand::QuickShot ? m_quickRefused : m_recordRefused;
}

std::wstring Hotkeys::RefusalMessage() const {
    std::wstring names;
    if (m_quickRefused)
        names += std::wstring(L"\r\n  ") + HotkeyCommandName(HotkeyCommand::QuickShot) + L": " +
                 HotkeyText(m_quick);
    if (m_recordRefused)
        names +=
            std::wstring(L"\r\n  ") + HotkeyCommandName(HotkeyCommand::Record) + L": " + HotkeyText(m_record);
    if (names.empty())
        return {};
    return L"次のホットキーは他のプログラムが使っているため使えません:" + names +
           L"\r\n\r\nウィンドウ メニューの [設定] で別のキーを選べます.";
}

bool Hotkeys::TakePress(WPARAM id, LPARAM keys) {
    const UINT key = HIWORD(keys);
    if (!HotkeyCommandOf(id) || !m_wnd)
        return false;
    if (m_heldKey == key && (::GetAsyncKeyState(static_cast<int>(key)) & 0x8000))
        return false;
    m_heldKey = key;
    if (!::SetTimer(m_wnd, kReleaseTimer, kReleaseCheckMs, nullptr))
        m_heldKey = 0; // unwatched: repeats then count as presses, as they would without this
    return true;
}

bool Hotkeys::OnTimer(UINT_PTR timer) {
    if (timer != kReleaseTimer)
        return false;
    if (!m_heldKey || !(::GetAsyncKeyState(static_cast<int>(m_heldKey)) & 0x8000)) {
        ::KillTimer(m_wnd, kReleaseTimer);
        m_heldKey = 0;
    }
    return true;
}

bool HotkeyAvailable(HWND wnd, std::uint32_t word) noexcept {
    if (word == 0)
        return true;
    if (!RegisterOne(wnd, kTrialId, word))
        return false;
    ::UnregisterHotKey(wnd, kTrialId);
    return true;
}

const wchar_t* HotkeyCommandName(HotkeyCommand command) noexcept {
    return command == HotkeyCommand::QuickShot ? L"クイック保存" : L"録画";
}

} // namespace settings
