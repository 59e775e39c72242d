// Files the driver reads and writes: vantrel's path, temporary folders, renamed files, whole-file reads.
#pragma once

#include <string>
#include <utility>
#include <vector>

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

// The names in a folder, sorted.
std::vector<std::wstring> filesIn(const std::wstring& dir);
// Items as "a | b | c".
std::wstring listText(const std::vector<std::wstring>& items);
// The folder holds exactly these files: nothing else was written and no temporary file was left behind.
void expectFiles(const std::wstring& dir, std::vector<std::wstring> names, const std::string& when);
// An existing file still holds exactly what it held.
void expectUnchanged(const std::wstring& path, const std::string& bytes, const std::string& when);

// A folder nobody may write into, root included: the Linux immutable attribute on a new folder, with the
// given files in it. Skips the case where the file system does not support the attribute.
class ImmutableFolder {
public:
    ImmutableFolder(std::wstring path, const std::vector<std::pair<std::wstring, std::string>>& files);
    ~ImmutableFolder();
    ImmutableFolder(const ImmutableFolder&) = delete;
    ImmutableFolder& operator=(const ImmutableFolder&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
    bool immutable_ = false;
};

} // namespace e2e
