#pragma once
// The program's system-wide hotkeys: each registered on its own on the frame, so that one another program
// holds takes none of the others, and which of them could not be had.

#include "settings/settings_rules.h"

#include <windows.h>

#include <optional>
#include <string>

namespace settings {

// What a hotkey does; its value is the id it is registered under (WM_HOTKEY's wParam).
enum class HotkeyCommand { QuickShot = 1, Record = 2 };

// The command of a WM_HOTKEY; none for an id of another's.
std::optional<HotkeyCommand> HotkeyCommandOf(WPARAM id) noexcept;

class Hotkeys {
public:
    Hotkeys() = default;
    ~Hotkeys() { Unregister(); }
    Hotkeys(const Hotkeys&) = delete;
    Hotkeys& operator=(const Hotkeys&) = delete;

    // Registers the settings' hotkeys on wnd, each on its own, in place of those registered before.
    void Register(HWND wnd, const Settings& settings);
    void Unregister() noexcept;
    // The hotkey of a command is set but could not be registered (another program holds it).
    bool Refused(HotkeyCommand command) const noexcept;
    // The message that names the refused hotkeys; empty when none was refused.
    std::wstring RefusalMessage() const;

    // Called for each WM_HOTKEY: true for a press, false for the keyboard's repeat of a hotkey that is still
    // held down since it fired (the system may not hold back repeats: Windows before 7, and Wine, which
    // ignores MOD_NOREPEAT). A held hotkey is watched until its key is let go.
    bool TakePress(WPARAM id, LPARAM keys);
    // Called for the window's WM_TIMER; true when it was the watch of a held hotkey.
    bool OnTimer(UINT_PTR timer);

private:
    HWND m_wnd = nullptr;
    std::uint32_t m_quick = 0, m_record = 0; // the words asked for
    bool m_quickRefused = false, m_recordRefused = false;
    UINT m_heldKey = 0; // the virtual key of the hotkey last pressed, while it is held down
};

// Whether the hotkey could be registered now (by asking the system with wnd); true for none.
bool HotkeyAvailable(HWND wnd, std::uint32_t word) noexcept;

// The name of a command as the settings dialog and the messages call it.
const wchar_t* HotkeyCommandName(HotkeyCommand command) noexcept;

} // namespace settings
