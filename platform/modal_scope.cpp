#include "platform/modal_scope.h"

#include "platform/dialog.h"

namespace platform {

namespace {

struct Search {
    HWND owner;
    std::vector<HWND>* found;
};

BOOL CALLBACK NoteOtherDialog(HWND wnd, LPARAM param) {
    const auto* search = reinterpret_cast<const Search*>(param);
    if (wnd != search->owner && IsProgramDialog(wnd) && ::IsWindowEnabled(wnd))
        search->found->push_back(wnd);
    return TRUE;
}

} // namespace

ModalScope::ModalScope(HWND owner) {
    Search search{owner, &m_disabled};
    ::EnumThreadWindows(::GetCurrentThreadId(), NoteOtherDialog, reinterpret_cast<LPARAM>(&search));
    for (HWND wnd : m_disabled)
        ::EnableWindow(wnd, FALSE);
}

ModalScope::~ModalScope() {
    for (HWND wnd : m_disabled)
        if (::IsWindow(wnd))
            ::EnableWindow(wnd, TRUE);
}

} // namespace platform
