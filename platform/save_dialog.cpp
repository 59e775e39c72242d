#include "platform/save_dialog.h"

#include "platform/com_apartment.h"
#include "platform/late_bound.h"
#include "platform/modal_scope.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <cwchar>

namespace platform {

namespace {

// Releases a COM interface on scope exit.
template <typename T> struct ComRef {
    T* p = nullptr;
    ~ComRef() {
        if (p)
            p->Release();
    }
    T* operator->() const { return p; }
};

enum class Outcome { Chosen, Cancelled, Unavailable };

Outcome AskNewStyle(HWND owner, const SaveDialogSettings& settings, std::wstring& path) {
    if (!EnterComApartment())
        return Outcome::Unavailable;
    const Ole32Dll& com = BoundOle32();
    Outcome outcome = Outcome::Unavailable;
    {
        ComRef<IFileSaveDialog> dialog;
        if (SUCCEEDED(com.CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IFileSaveDialog, reinterpret_cast<void**>(&dialog.p)))) {
            std::vector<COMDLG_FILTERSPEC> specs;
            for (const auto& type : settings.types)
                specs.push_back({type.first.c_str(), type.second.c_str()});
            FILEOPENDIALOGOPTIONS options = 0;
            dialog->GetOptions(&options);
            dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM);
            dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
            dialog->SetFileTypeIndex(1);
            dialog->SetDefaultExtension(settings.defaultExtension.c_str());
            dialog->SetFileName(settings.initialName.c_str());
            const HRESULT shown = dialog->Show(owner);
            outcome = Outcome::Cancelled;
            ComRef<IShellItem> item;
            PWSTR chosen = nullptr;
            if (SUCCEEDED(shown) && SUCCEEDED(dialog->GetResult(&item.p)) &&
                SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &chosen)) && chosen) {
                path = chosen;
                com.CoTaskMemFree(chosen);
                outcome = Outcome::Chosen;
            }
        }
    }
    return outcome;
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
