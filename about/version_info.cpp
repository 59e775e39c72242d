#include "about/version_info.h"

#include "about/version_text.h"
#include "platform/app.h"
#include "platform/late_bound.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

wchar_t g_versionText[about::kVersionTextCapacity];
bool g_versionBuilt = false;

// Reads "Ver.:" and the ProductVersion of the first Translation pair; empty when any step fails.
std::wstring ReadVersionText() {
    // version.dll is bound the first time the About box asks, so that start-up does not load it.
    const platform::VersionDll& api = platform::BoundVersion();
    if (!api.Complete())
        return {};
    // The path is read whole, however long the folders the program lies in.
    const std::wstring modulePath = platform::ExecutablePath();
    if (modulePath.empty())
        return {};
    DWORD unused = 0;
    const DWORD size = api.GetFileVersionInfoSizeW(modulePath.c_str(), &unused);
    if (size == 0)
        return {};
    std::vector<unsigned char> block(size + 1);
    if (!api.GetFileVersionInfoW(modulePath.c_str(), 0, size, block.data()))
        return {};

    void* translation = nullptr;
    UINT translationBytes = 0;
    if (!api.VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &translationBytes) ||
        translationBytes < 2 * sizeof(WORD))
        return {};
    WORD pair[2];
    std::memcpy(pair, translation, sizeof(pair));

    const std::wstring path = about::ProductVersionPath(about::TranslationKey(pair[0], pair[1]));
    void* value = nullptr;
    UINT valueChars = 0;
    if (!api.VerQueryValueW(block.data(), path.c_str(), &value, &valueChars) || !value)
        return {};
    return about::ComposeVersionText(std::wstring_view(static_cast<const wchar_t*>(value), valueChars));
}

} // namespace

const wchar_t* GetVersionText() {
    if (g_versionBuilt)
        return g_versionText;
    std::memset(g_versionText, 0, sizeof(g_versionText));
    const std::wstring text = ReadVersionText();
    if (text.empty())
        return g_versionText;
    text.copy(g_versionText, about::kVersionTextCapacity - 1);
    g_versionBuilt = true;
    return g_versionText;
}
