#include "frame/remembered_frame.h"

#include "platform/unique_handle.h"

#include <windows.h>

static_assert(frame::kRegDword == REG_DWORD);

namespace frame {

namespace {

constexpr wchar_t kKey[] = L"Software\\Vantrel";

StoredValue ReadValue(HKEY key, const wchar_t* name) {
    StoredValue value;
    DWORD type = 0;
    std::uint32_t data = 0;
    DWORD size = sizeof(data);
    const LONG result = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
        return value;
    value.present = true;
    value.type = type;
    value.size = size;
    value.data = result == ERROR_SUCCESS ? data : 0;
    return value;
}

void WriteValue(HKEY key, const wchar_t* name, int value) {
    const DWORD data = static_cast<DWORD>(value);
    ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

} // namespace

std::optional<StoredFrame> ReadStoredFrame() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const platform::UniqueRegKey key(opened);
    StoredFrame stored;
    stored.left = ReadValue(key.get(), L"Left");
    stored.top = ReadValue(key.get(), L"Top");
    stored.width = ReadValue(key.get(), L"Width");
    stored.height = ReadValue(key.get(), L"Height");
    stored.rightPos = ReadValue(key.get(), L"RightPos");
    return stored;
}

void WriteStoredFrame(const platform::Rect& client, bool rightPos) {
    HKEY created = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created,
                          nullptr) != ERROR_SUCCESS)
        return;
    const platform::UniqueRegKey key(created);
    WriteValue(key.get(), L"Left", client.left);
    WriteValue(key.get(), L"Top", client.top);
    WriteValue(key.get(), L"Width", client.Width());
    WriteValue(key.get(), L"Height", client.Height());
    WriteValue(key.get(), L"RightPos", rightPos ? 1 : 0);
}

} // namespace frame
