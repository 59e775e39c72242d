#include "app/debug_switch.h"

#include <cwchar>

namespace app {

bool IsDebugSwitch(const wchar_t* arg) noexcept {
    return arg && std::wcscmp(arg, kDebugSwitch) == 0;
}

int CountDebugSwitches(const wchar_t* const* args, int count) noexcept {
    int matches = 0;
    for (int i = 0; args && i < count; ++i)
        matches += IsDebugSwitch(args[i]) ? 1 : 0;
    return matches;
}

} // namespace app
