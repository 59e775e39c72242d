#include "platform/save_dialog.h"

#include "platform/com_apartment.h"
#include "platform/late_bound.h"
#include "platform/modal_scope.h"
#include "platform/unique_handle.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <cwchar>

namespace platform {

namespace {

enum class Outcome { Chosen, Cancelled, Unavailable };

Outcome AskNewStyle(HWND owner, const SaveDialogSettings& settings, std::wstring& path) {
    if (!EnterComApartment())
        return Outcome::Unavailable;
    const Ole32Dll& com = BoundOle32();
    IFileSaveDialog* created = nullptr;
    if (FAILED(com.CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                                    reinterpret_cast<void**>(&created))))
        return Outcome::Unavailable;
    const UniqueCom<IFileSaveDialog> dialog(created);
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const auto& type : settings.types)
        specs.push_back({type.first.c_str(), type.second.c_str()});
    FILEOPENDIALOGOPTIONS options = 0;
    dialog.get()->GetOptions(&options);
    dialog.get()->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM);
    dialog.get()->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
    dialog.get()->SetFileTypeIndex(1);
    dialog.get()->SetDefaultExtension(settings.defaultExtension.c_str());
    dialog.get()->SetFileName(settings.initialName.c_str());
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

Outcome AskClassic(HWND owner, const SaveDialogSettings& settings, std::wstring& path) {
    const auto getSaveFileName = BoundComdlg32().GetSaveFileNameW;
    if (!getSaveFileName)
        return Outcome::Unavailable;
    std::wstring filter;
    for (const auto& type : settings.types)
        filter += type.first + L'\0' + type.second + L'\0';
    filter += L'\0';
    std::vector<wchar_t> file(32768, L'\0');
    settings.initialName.copy(file.data(), file.size() - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = settings.defaultExtension.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER;
    if (!getSaveFileName(&ofn))
        return Outcome::Cancelled;
    path = file.data();
    return Outcome::Chosen;
}

} // namespace

std::optional<std::wstring> AskSavePath(HWND owner, const SaveDialogSettings& settings) {
    // Either dialog disables its owner itself; the program's other windows wait with it.
    const ModalScope others(owner);
    std::wstring path;
    Outcome outcome = Outcome::Unavailable;
    if (SystemIsVersion6OrLater())
        outcome = AskNewStyle(owner, settings, path);
    if (outcome == Outcome::Unavailable)
        outcome = AskClassic(owner, settings, path);
    if (outcome != Outcome::Chosen)
        return std::nullopt;
    return path;
}

} // namespace platform
