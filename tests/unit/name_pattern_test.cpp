#include "quick/name_pattern.h"

#include <gtest/gtest.h>

namespace {

using namespace quick;

const ShotTime kMarch7{2026, 3, 7, 9, 5, 1};

TEST(NamePattern, RefusesWhatNoFileNameMayBe) {
    const struct {
        const wchar_t* pattern;
        PatternProblem problem;
    } rows[] = {
        {L"Vantrel_{date}_{n}.png", PatternProblem::None},
        {L"a_{n:4}_{time}.JPEG", PatternProblem::None},
        {L"shot.Gif", PatternProblem::None},
        {L"COM{n}.bmp", PatternProblem::None}, // COM001
        {L"CONSOLE.jpg", PatternProblem::None},
        {L"", PatternProblem::Empty},
        {L"a_{x}.png", PatternProblem::UnknownToken},
        {L"a_{N}.png", PatternProblem::UnknownToken},
        {L"a_{n:0}.png", PatternProblem::UnknownToken},
        {L"a_{n:10}.png", PatternProblem::UnknownToken},
        {L"a_{n.png", PatternProblem::UnknownToken},
        {L"a}.png", PatternProblem::UnknownToken},
        {L"sub\\a.png", PatternProblem::PathSeparator},
        {L"sub/a_{n}.png", PatternProblem::PathSeparator},
        {L"a<b.png", PatternProblem::ForbiddenCharacter},
        {L"a:b.png", PatternProblem::ForbiddenCharacter},
        {L"a?.png", PatternProblem::ForbiddenCharacter},
        {L"a\"b.png", PatternProblem::ForbiddenCharacter},
        {L"a\tb.png", PatternProblem::ForbiddenCharacter},
        {L"a.txt", PatternProblem::NoImageExtension},
        {L"a_{n}", PatternProblem::NoImageExtension},
        {L"a.png.", PatternProblem::NoImageExtension},
        {L"a.{n}", PatternProblem::NoImageExtension},
        {L"a.tiff", PatternProblem::NoImageExtension},
        {L"CON.png", PatternProblem::ReservedName},
        {L"nul .png", PatternProblem::ReservedName},
        {L"aux.tar.png", PatternProblem::ReservedName},
        {L"com{n:1}.png", PatternProblem::ReservedName}, // COM1 for n = 1
        {L"LPT{n:1}.jpg", PatternProblem::ReservedName},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CheckPattern(row.pattern), row.problem)
            << testing::PrintToString(std::wstring(row.pattern));
        EXPECT_EQ(*PatternProblemText(CheckPattern(row.pattern)) == L'\0',
                  row.problem == PatternProblem::None);
    }
    EXPECT_EQ(CheckPattern(std::wstring(251, L'a') + L".png"), PatternProblem::None); // 255 characters
    EXPECT_EQ(CheckPattern(std::wstring(252, L'a') + L".png"), PatternProblem::TooLong);
}

TEST(NamePattern, WritesDateTimeAndCounterWithTheirDigits) {
    EXPECT_EQ(FormatName(L"Vantrel_{date}_{n}.png", 7, kMarch7), L"Vantrel_20260307_007.png");
    EXPECT_EQ(FormatName(L"{time}-{n:1}.jpg", 12, kMarch7), L"090501-12.jpg");
    EXPECT_EQ(FormatName(L"{n:5}.bmp", 123456, kMarch7), L"123456.bmp");
    EXPECT_EQ(FormatName(L"{date}{date}.gif", 0, ShotTime{999, 12, 31, 23, 59, 59}), L"0999123109991231.gif");
}

TEST(NamePattern, CounterGoesOnFromTheHighestNumberThePatternGave) {
    const std::wstring pattern = L"Vantrel_{date}_{n}.png";
    const struct {
        std::vector<std::wstring> existing;
        const wchar_t* next;
    } rows[] = {
        {{}, L"Vantrel_20260307_001.png"},
        // Numbering goes on after a restart and past gaps.
        {{L"Vantrel_20260307_001.png", L"Vantrel_20260307_002.png", L"Vantrel_20260307_005.png"},
         L"Vantrel_20260307_006.png"},
        // Windows compares names without case.
        {{L"VANTREL_20260307_009.PNG"}, L"Vantrel_20260307_010.png"},
        // The counter outgrows its digits, and the longer numbers still count.
        {{L"Vantrel_20260307_999.png"}, L"Vantrel_20260307_1000.png"},
        {{L"Vantrel_20260307_1000.png", L"Vantrel_20260307_998.png"}, L"Vantrel_20260307_1001.png"},
        // Foreign files: another day, letters, a leading zero the pattern never writes, too few digits,
        // something around the name, another extension, a number too long to be one of ours.
        {{L"Vantrel_20260306_099.png", L"Vantrel_20260307_abc.png", L"Vantrel_20260307_0099.png",
          L"Vantrel_20260307_12.png", L"x_Vantrel_20260307_050.png", L"Vantrel_20260307_070.png.bak",
          L"Vantrel_20260307_080.jpg", L"Vantrel_20260307_4.png", L"Vantrel_20260307_004.png",
          L"Vantrel_20260307_1234567890123456789012.png"},
         L"Vantrel_20260307_005.png"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NextName(pattern, row.existing, kMarch7), row.next) << testing::PrintToString(row.existing);
}

TEST(NamePattern, CounterMatchesAmidDigitsAndAcrossItsCopies) {
    // The text after the counter starts with a digit: "0051" is 005 then "1".
    EXPECT_EQ(NextName(L"{n}1.png", {L"0051.png"}, kMarch7), L"0061.png");
    // Every copy of the counter carries the same number; a name with two numbers is not one of them.
    EXPECT_EQ(NextName(L"{n}_{n}.png", {L"003_003.png", L"004_009.png"}, kMarch7), L"004_004.png");
    EXPECT_EQ(NextName(L"{time}_{n:1}.png", {L"090501_7.png", L"090500_9.png"}, kMarch7), L"090501_8.png");
}

TEST(NamePattern, NameWithoutCounterTakesTheFirstFreeNumberInBrackets) {
    const std::wstring pattern = L"shot_{date}.png";
    EXPECT_EQ(NextName(pattern, {}, kMarch7), L"shot_20260307.png");
    EXPECT_EQ(NextName(pattern, {L"SHOT_20260307.PNG"}, kMarch7), L"shot_20260307 (2).png");
    EXPECT_EQ(NextName(pattern, {L"shot_20260307.png", L"shot_20260307 (2).png", L"shot_20260307 (4).png"},
                       kMarch7),
              L"shot_20260307 (3).png");
    EXPECT_EQ(NextName(L"a.b.jpeg", {L"a.b.jpeg"}, kMarch7), L"a.b (2).jpeg");
}

} // namespace
