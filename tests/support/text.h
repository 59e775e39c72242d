// UTF-16 and UTF-8: the driver and the probes print UTF-8 and read Windows text as UTF-16.
#pragma once

#include <string>

namespace support {

std::string narrow(const std::wstring& text);
std::wstring widen(const std::string& text);

} // namespace support
