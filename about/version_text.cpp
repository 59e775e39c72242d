#include "about/version_text.h"

namespace about {

namespace {

// Replaces every non-overlapping occurrence from left to right, resuming after the inserted text.
void ReplaceAll(std::wstring& text, std::wstring_view from, std::wstring_view to) {
    for (std::size_t pos = text.find(from); pos != std::wstring::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

wchar_t HexDigit(unsigned value) {
    return static_cast<wchar_t>(value < 10 ? L'0' + value : L'a' + value - 10);
}

} // namespace

std::wstring TranslationKey(unsigned short language, unsigned short codePage) {
    std::wstring key;
    for (unsigned word : {unsigned{language}, unsigned{codePage}})
        for (int shift = 12; shift >= 0; shift -= 4)
            key += HexDigit((word >> shift) & 0xFu);
    return key;
}

std::wstring ProductVersionPath(const std::wstring& key) {
    return L"\\StringFileInfo\\" + key + L"\\ProductVersion";
}

std::wstring ComposeVersionText(std::wstring_view value) {
    value = value.substr(0, value.find(L'\0'));
    return L"Ver.:" + std::wstring(value.substr(0, kMaxVersionChars));
}

std::wstring ReshapeVersionText(std::wstring text) {
    ReplaceAll(text, L".:", L"%");
    ReplaceAll(text, L",", L"-");
    ReplaceAll(text, L".", L"-");
    ReplaceAll(text, L"%", L".:");
    return text;
}

std::wstring AboutVersionLine(const std::wstring& versionText) {
    return L"Vantrel " + ReshapeVersionText(versionText);
}

} // namespace about
