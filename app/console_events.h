#pragma once
// What the debug console's control handler does with each console event.

namespace app {

enum class ConsoleEventAction {
    Ignore,     // the program keeps running (Ctrl+C, Ctrl+Break)
    CloseFrame, // the console or the session is going away: close the frame the normal way
};

ConsoleEventAction ActionForConsoleEvent(unsigned long eventCode) noexcept;

} // namespace app
