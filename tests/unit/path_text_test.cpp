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

TEST(PathText, FileFilterGivesTheTypesInOrder) {
    const auto types =
        platform::ParseFileFilter(L"BMP(*.bmp)|*.bmp|GIF(*.gif)|*.gif|JPG(*.jpg)|*.jpg|PNG(*.png)|*.png||");
    ASSERT_EQ(types.size(), 4u);
    EXPECT_EQ(types[0].first, L"BMP(*.bmp)");
    EXPECT_EQ(types[0].second, L"*.bmp");
    EXPECT_EQ(types[3].first, L"PNG(*.png)");
    EXPECT_EQ(types[3].second, L"*.png");
    EXPECT_TRUE(platform::ParseFileFilter(L"").empty());
    EXPECT_TRUE(platform::ParseFileFilter(L"||").empty());
    EXPECT_EQ(platform::ParseFileFilter(L"A|*.a|B").size(), 1u); // an unfinished pair is dropped
}

} // namespace
