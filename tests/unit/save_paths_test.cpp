#include "panel/save_paths.h"

#include <gtest/gtest.h>

namespace {

TEST(SavePaths, TemporaryFileIsNamedAfterItsTarget) {
    struct Case {
        std::wstring target, temporary;
    };
    const std::wstring longName = std::wstring(252, L'n') + L".png"; // 256: too long already
    const std::wstring cut = std::wstring(249, L'n') + L"\xD83D";    // a pair's first half at the cut
    const Case cases[] = {
        {L"C:\\pics\\name.png", L"C:\\pics\\~name.png.tmp"},
        {L"Z:/tmp/画像.PNG", L"Z:/tmp/~画像.PNG.tmp"},
        {L"name.png", L"~name.png.tmp"},
        {L"C:\\a\\" + std::wstring(250, L'n'),
         L"C:\\a\\~" + std::wstring(250, L'n') + L".tmp"}, // exactly 255
        {L"C:\\a\\" + longName, L"C:\\a\\~" + longName.substr(0, 250) + L".tmp"},
        {L"C:\\a\\" + cut + L"\xDE00.png", L"C:\\a\\~" + cut.substr(0, 249) + L".tmp"},
    };
    for (const Case& c : cases) {
        const std::wstring temporary = panel::TemporaryPathFor(c.target);
        EXPECT_EQ(temporary, c.temporary) << c.target;
        EXPECT_LE(temporary.size() - temporary.find_last_of(L"\\/") - 1, 255u);
    }
}

} // namespace
