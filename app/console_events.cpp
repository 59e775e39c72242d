#include "app/console_events.h"

namespace app {

namespace {
// Console control event codes (wincon.h), repeated here so this file stays free of Win32 headers.
constexpr unsigned long kCloseEvent = 2;
constexpr unsigned long kLogoffEvent = 5;
constexpr unsigned long kShutdownEvent = 6;
} // namespace

ConsoleEventAction ActionForConsoleEvent(unsigned long eventCode) noexcept {
    switch (eventCode) {
    case kCloseEvent:
    case kLogoffEvent:
    case kShutdownEvent: return ConsoleEventAction::CloseFrame;
    default: return ConsoleEventAction::Ignore;
    }
}

} // namespace app
