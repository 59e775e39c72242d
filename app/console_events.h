#pragma once
// What the debug console's control handler does with each console event.

namespace app {

// Console control events (CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT), repeated so that
// this file builds without Win32; the start-up checks them against the real ones.
inline constexpr unsigned long kCloseEvent = 2;
inline constexpr unsigned long kLogoffEvent = 5;
inline constexpr unsigned long kShutdownEvent = 6;

enum class ConsoleEventAction {
    Ignore,     // the program keeps running (Ctrl+C, Ctrl+Break)
    CloseFrame, // the console or the session is going away: close the frame the normal way
};

ConsoleEventAction ActionForConsoleEvent(unsigned long eventCode) noexcept;

} // namespace app
