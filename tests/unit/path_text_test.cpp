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

} // namespace
