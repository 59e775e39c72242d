#include "about/version_text.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionText, ReshapingTable) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    };
    const Case cases[] = {
        {L"Ver.:1.0.1.105", L"Ver.:1-0-1-105"},
        {L"Ver.:1, 0, 1, 105", L"Ver.:1- 0- 1- 105"},
        {L"Ver.:1.0%beta", L"Ver.:1-0.:beta"}, // a per cent sign comes out as ".:"
        {L"Ver.:2.:3", L"Ver.:2.:3"},          // ".:" inside the value survives
        {L"Ver.:", L"Ver.:"},
        {L"", L""},
        {L"Ver.:..,,", L"Ver.:----"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(about::ReshapeVersionText(c.in), c.out) << c.in;
}

TEST(VersionText, AboutLine) {
    EXPECT_EQ(about::AboutVersionLine(L"Ver.:1.0.1.105"), L"Vantrel Ver.:1-0-1-105");
    EXPECT_EQ(about::AboutVersionLine(L""), L"Vantrel "); // a failed lookup: name and one space
}

TEST(VersionText, TranslationKeyAndPath) {
    EXPECT_EQ(about::TranslationKey(0x0411, 0x04B0), L"041104b0");
    EXPECT_EQ(about::TranslationKey(0x0409, 0xFDE9), L"0409fde9");
    EXPECT_EQ(about::ProductVersionPath(L"041104b0"), L"\\StringFileInfo\\041104b0\\ProductVersion");
}

TEST(VersionText, ValueIsCutToFitTheStore) {
    EXPECT_EQ(about::ComposeVersionText(L"1.0.1.105"), L"Ver.:1.0.1.105");
    const std::wstring longValue(300, L'7');
    const std::wstring text = about::ComposeVersionText(longValue);
    EXPECT_EQ(text.size(), 5 + about::kMaxVersionChars);
    EXPECT_LT(text.size(), about::kVersionTextCapacity);
    EXPECT_EQ(text.substr(5), std::wstring(about::kMaxVersionChars, L'7'));
    // The value's length counts its terminating zero; nothing past the zero is taken.
    EXPECT_EQ(about::ComposeVersionText(std::wstring_view(L"1.2\0junk", 8)), L"Ver.:1.2");
}

} // namespace
