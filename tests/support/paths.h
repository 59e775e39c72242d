// Paths of the programs the tests and benchmarks start: each lives beside the program that starts it.
#pragma once

#include <string>

namespace support {

// This program's executable, and the folder it is in.
std::wstring modulePath();
std::wstring moduleFolder();
// The value of an environment variable, however long; empty when it is not set.
std::wstring environmentVariable(const wchar_t* name);
// The folder for temporary files, with its ending backslash.
std::wstring tempFolder();
// Everything before the last slash or backslash; empty when there is none.
std::wstring folderOf(const std::wstring& path);
std::wstring joinPath(const std::wstring& dir, const std::wstring& name);
bool fileExists(const std::wstring& path);
// The full path of an existing file named by a path, absolute or relative to moduleFolder(); empty when
// there is no such file (or it is a folder).
std::wstring resolveFile(const std::wstring& path);

} // namespace support
