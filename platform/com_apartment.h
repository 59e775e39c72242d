#pragma once
// The user-interface thread's COM apartment (apartment-threaded, without OLE 1 DDE), entered once at
// start-up and left as the program ends: what a shell dialog loads into the process (shell extensions) may
// outlive the call that showed it.

namespace platform {

// Enters the apartment unless the thread is in it already; true when it is.
bool EnterComApartment() noexcept;
// Leaves the apartment entered above, if any; called once the program's windows are gone.
void LeaveComApartment() noexcept;

} // namespace platform
