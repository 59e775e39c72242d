#include "app/console_events.h"

namespace app {

ConsoleEventAction ActionForConsoleEvent(unsigned long eventCode) noexcept {
    switch (eventCode) {
    case kCloseEvent:
    case kLogoffEvent:
    case kShutdownEvent: return ConsoleEventAction::CloseFrame;
    default: return ConsoleEventAction::Ignore;
    }
}

} // namespace app
