// Files the driver reads and writes: vantrel's path, temporary folders, renamed files, whole-file reads.
#pragma once

#include <string>

namespace e2e {

// vantrel.exe beside the driver.
std::wstring vantrelPath();
// A Unix path (/tmp/x) given on the command line becomes the Wine drive path that reaches it.
std::wstring toWindowsPath(const std::wstring& path);

// A fresh folder under %TEMP%, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// Writes the whole file; fails the case when it cannot.
void writeFile(const std::wstring& path, const std::string& bytes);
// The whole file; empty when it cannot be read.
std::string readFile(const std::wstring& path);

} // namespace e2e
