#include "platform/path_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PathText, ArgumentsFollowTheProgramName) {
    struct Case {
        const wchar_t* line;
        const wchar_t* arguments;
    };
    const Case cases[] = {
        {L"vantrel.exe -D733 x", L"-D733 x"},
        {L"\"C:\\Program Files\\Vantrel\\vantrel.exe\"  -D733", L"-D733"},
        {L"\"C:\\a b\\v.exe\"", L""},
        {L"vantrel.exe", L""},
        {L"", L""},
        {L"\"unterminated -D733", L""},
        {L"v.exe\t\"-D733 \"", L"\"-D733 \""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::CommandLineArguments(c.line), c.arguments) << c.line;
}

TEST(PathText, FileStemDropsFolderAndExtension) {
    EXPECT_EQ(platform::FileStem(L"C:\\Tools\\vantrel.exe"), L"vantrel");
    EXPECT_EQ(platform::FileStem(L"Z:\\tmp\\copy.of.vantrel.exe"), L"copy.of.vantrel");
    EXPECT_EQ(platform::FileStem(L"C:\\dir.d\\noext"), L"noext");
    EXPECT_EQ(platform::FileStem(L"vantrel.EXE"), L"vantrel");
    EXPECT_EQ(platform::FileStem(L"C:\\x\\.hidden"), L".hidden");
}

// A path of 260 characters or more takes the extended-length form; everything else is left as it is.
TEST(PathText, LongPathsTakeTheExtendedForm) {
    const std::wstring folder = L"C:\\" + std::wstring(250, L'd');               // 253 characters
    const std::wstring share = L"\\\\server\\share\\" + std::wstring(245, L's'); // 260 characters
    struct Case {
        std::wstring path, expected;
    };
    const Case cases[] = {
        {folder + L"\\a.png", folder + L"\\a.png"},                             // 259: still plain
        {folder + L"\\ab.png", L"\\\\?\\" + folder + L"\\ab.png"},              // 260
        {folder + L"/x/ab.png", L"\\\\?\\" + folder + L"\\x\\ab.png"},          // slashes become backslashes
        {share, L"\\\\?\\UNC\\server\\share\\" + std::wstring(245, L's')},      // a share
        {L"\\\\?\\" + folder + L"\\ab.png", L"\\\\?\\" + folder + L"\\ab.png"}, // already marked
        {L"\\\\.\\" + folder + L"\\ab.png", L"\\\\.\\" + folder + L"\\ab.png"}, // a device path
        {std::wstring(300, L'r'), std::wstring(300, L'r')},                     // relative: nothing to mark
        {L"C:\\short.png", L"C:\\short.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::PathForFileCalls(c.path), c.expected) << c.path.size() << L" " << c.path;
}

} // namespace
