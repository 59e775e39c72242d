#include "platform/com_apartment.h"

#include "platform/late_bound.h"

namespace platform {

namespace {
// Only the user-interface thread enters and leaves.
bool g_entered = false;
} // namespace

bool EnterComApartment() noexcept {
    if (g_entered)
        return true;
    const Ole32Dll& com = BoundOle32();
    g_entered = com.Complete() &&
                SUCCEEDED(com.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    return g_entered;
}

void LeaveComApartment() noexcept {
    if (!g_entered)
        return;
    g_entered = false;
    BoundOle32().CoUninitialize();
}

} // namespace platform
