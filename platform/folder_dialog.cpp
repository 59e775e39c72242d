#include "platform/folder_dialog.h"

#include "platform/com_apartment.h"
#include "platform/late_bound.h"
#include "platform/modal_scope.h"
#include "platform/unique_handle.h"

#include <shlobj.h>
#include <shobjidl.h>

namespace platform {

namespace {

enum class Outcome { Chosen, Cancelled, Unavailable };

Outcome AskNewStyle(HWND owner, const std::wstring& initial, std::wstring& path) {
    if (!EnterComApartment())
        return Outcome::Unavailable;
    const Ole32Dll& com = BoundOle32();
    IFileOpenDialog* created = nullptr;
    if (FAILED(com.CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                    reinterpret_cast<void**>(&created))))
        return Outcome::Unavailable;
    const UniqueCom<IFileOpenDialog> dialog(created);
    FILEOPENDIALOGOPTIONS options = 0;
    dialog.get()->GetOptions(&options);
    dialog.get()->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    IShellItem* start = nullptr;
    if (!initial.empty() && SUCCEEDED(::SHCreateItemFromParsingName(initial.c_str(), nullptr, IID_IShellItem,
                                                                    reinterpret_cast<void**>(&start)))) {
        const UniqueCom<IShellItem> folder(start);
        dialog.get()->SetFolder(folder.get());
    }
    IShellItem* result = nullptr;
    if (FAILED(dialog.get()->Show(owner)) || FAILED(dialog.get()->GetResult(&result)))
        return Outcome::Cancelled;
    const UniqueCom<IShellItem> item(result);
    PWSTR chosen = nullptr;
    if (FAILED(item.get()->GetDisplayName(SIGDN_FILESYSPATH, &chosen)) || !chosen)
        return Outcome::Cancelled;
    path = chosen;
    com.CoTaskMemFree(chosen);
    return Outcome::Chosen;
}

Outcome AskClassic(HWND owner, std::wstring& path) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen)
        return Outcome::Cancelled;
    wchar_t buffer[MAX_PATH] = L"";
    const bool named = ::SHGetPathFromIDListW(chosen, buffer) != FALSE;
    if (const auto taskMemFree = BoundOle32().CoTaskMemFree)
        taskMemFree(chosen);
    if (!named)
        return Outcome::Cancelled;
    path = buffer;
    return Outcome::Chosen;
}

} // namespace

std::optional<std::wstring> AskFolder(HWND owner, const std::wstring& initial) {
    // Either dialog disables its owner itself; the program's other windows wait with it.
    const ModalScope others(owner);
    std::wstring path;
    Outcome outcome = Outcome::Unavailable;
    if (SystemIsVersion6OrLater())
        outcome = AskNewStyle(owner, initial, path);
    if (outcome == Outcome::Unavailable)
        outcome = AskClassic(owner, path);
    if (outcome != Outcome::Chosen)
        return std::nullopt;
    return path;
}

} // namespace platform
