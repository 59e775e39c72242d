#include "panel/save_paths.h"

#include <gtest/gtest.h>

namespace {

using namespace panel;

std::wstring NameOf(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

TEST(SavePaths, TemporaryFileIsNamedAfterItsTargetWithTheProgramsMark) {
    const struct {
        std::wstring target;
        int attempt;
        std::wstring temporary;
    } rows[] = {
        {L"C:\\pics\\notes.png", 0, L"C:\\pics\\~notes.png.vantrel-save.tmp"},
        {L"C:\\pics\\notes.png", 1, L"C:\\pics\\~notes.png.vantrel-save-2.tmp"},
        {L"C:\\pics\\notes.png", 9, L"C:\\pics\\~notes.png.vantrel-save-10.tmp"},
        {L"Z:/tmp/画像.PNG", 0, L"Z:/tmp/~画像.PNG.vantrel-save.tmp"},
        {L"name.png", 0, L"~name.png.vantrel-save.tmp"},
        // Exactly 255 characters with the additions: kept whole.
        {L"C:\\a\\" + std::wstring(237, L'n'), 0,
         L"C:\\a\\~" + std::wstring(237, L'n') + L".vantrel-save.tmp"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TemporaryPathFor(row.target, row.attempt), row.temporary)
            << row.target << " " << row.attempt;
}

// A name too long for the additions is cut to fit and marked with a number made from the whole name: two long
// names that begin alike get temporary names of their own, a name typed in another case the same one, and a
// surrogate pair is never cut in half.
TEST(SavePaths, LongNamesAreShortenedAndStayTheirOwn) {
    const std::wstring a = std::wstring(250, L'n') + L"-a.png", b = std::wstring(250, L'n') + L"-b.png";
    const std::wstring upper = std::wstring(250, L'N') + L"-A.PNG";
    for (int attempt : {0, 1, 19}) {
        const std::wstring ta = TemporaryPathFor(L"C:\\f\\" + a, attempt);
        EXPECT_LE(NameOf(ta).size(), 255u);
        EXPECT_NE(ta, TemporaryPathFor(L"C:\\f\\" + b, attempt));
        const std::wstring tu = TemporaryPathFor(L"C:\\f\\" + upper, attempt);
        const std::size_t number = ta.find(L'~', ta.find_last_of(L'\\') + 2);
        ASSERT_NE(number, std::wstring::npos);
        EXPECT_EQ(tu.substr(number), ta.substr(number)) << "the number and the mark";
    }
    for (std::size_t cut = 225; cut < 240; ++cut) {
        std::wstring name = std::wstring(cut, L'x') + L"\xD83D\xDE00" + L".png" + std::wstring(30, L'y');
        const std::wstring t = NameOf(TemporaryPathFor(name));
        EXPECT_LE(t.size(), 255u);
        for (std::size_t i = 0; i + 1 < t.size(); ++i) {
            if (t[i] >= 0xD800 && t[i] <= 0xDBFF) {
                EXPECT_TRUE(t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF) << "cut " << cut;
            }
        }
    }
}

// Only a hidden file of the temporary name is taken for a leftover of the program's own; a folder, a file of
// the user's (not hidden) or a link of that name is left alone and another name is tried.
TEST(SavePaths, WhatLiesUnderATemporaryName) {
    using U = TemporaryNameUse;
    const struct {
        FoundEntry found;
        U use;
    } rows[] = {
        {{false, false, false, false}, U::Free},
        {{true, false, true, false}, U::RemoveLeftover},
        {{true, false, false, false}, U::TryAnother}, // the user's own file
        {{true, true, true, false}, U::TryAnother},   // a folder, hidden or not
        {{true, true, false, false}, U::TryAnother},
        {{true, false, true, true}, U::TryAnother}, // a hidden link
    };
    for (const auto& row : rows)
        EXPECT_EQ(UseOfTemporaryName(row.found), row.use)
            << row.found.exists << row.found.directory << row.found.hidden << row.found.reparse;
}

TEST(SavePaths, WhatFollowsAFailedReplace) {
    using P = PlacingNext;
    const struct {
        unsigned long error;
        bool exists, readOnly;
        unsigned elapsed;
        P next;
    } rows[] = {
        {kErrorSharingViolation, true, false, 0, P::Retry},
        {kErrorSharingViolation, true, false, kBusyRetryMs - 1, P::Retry},
        {kErrorSharingViolation, true, false, kBusyRetryMs, P::Fail},
        {kErrorLockViolation, true, false, 300, P::Retry},
        {kErrorUnableToRemoveReplaced, true, false, 300, P::Retry},
        {kErrorAlreadyExists, true, false, 10, P::Retry}, // the target appeared meanwhile
        {kErrorUnableToMoveReplacement, false, false, 0, P::MoveInstead},
        {kErrorUnableToMoveReplacement, true, false, 0, P::Fail},
        {kErrorAccessDenied, true, true, 0, P::ReadOnly},
        {kErrorAccessDenied, true, false, 0, P::Fail}, // a folder that refuses writes: no waiting
        {2 /* ERROR_FILE_NOT_FOUND */, false, false, 0, P::Fail},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AfterPlacingFailed(row.error, row.exists, row.readOnly, row.elapsed), row.next)
            << row.error << " after " << row.elapsed << " ms";
}

} // namespace
