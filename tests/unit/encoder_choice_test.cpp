#include "panel/encoder_choice.h"

#include <gtest/gtest.h>

namespace {

// GDI+'s own list, in its order.
const std::vector<std::wstring> kEncoders = {
    L"*.BMP;*.DIB;*.RLE", L"*.JPG;*.JPEG;*.JPE;*.JFIF", L"*.GIF", L"*.TIF;*.TIFF", L"*.PNG",
};

// GDI+'s encoder by the list, and PNG and GIF by the program's own encoders.
TEST(EncoderChoice, ByExtensionWithoutRegardToCase) {
    using panel::OwnEncoder;
    struct Case {
        const wchar_t* path;
        std::optional<std::size_t> encoder;
        OwnEncoder own;
    };
    const Case cases[] = {
        {L"C:\\x\\a.bmp", 0, OwnEncoder::None},
        {L"C:\\x\\a.dib", 0, OwnEncoder::None},
        {L"C:\\x\\a.RLE", 0, OwnEncoder::None},
        {L"C:\\x\\a.jpg", 1, OwnEncoder::None},
        {L"C:\\x\\a.Jpeg", 1, OwnEncoder::None},
        {L"C:\\x\\a.gif", 2, OwnEncoder::Gif},
        {L"C:\\x\\a.GiF", 2, OwnEncoder::Gif},
        {L"C:\\x\\E.PNG", 4, OwnEncoder::Png},
        {L"C:\\x\\a.png", 4, OwnEncoder::Png},
        {L"C:\\x\\file.tar.gz", std::nullopt, OwnEncoder::None},
        {L"C:\\x\\notes.txt", std::nullopt, OwnEncoder::None},
        {L"C:\\x\\noextension", std::nullopt, OwnEncoder::None},
        {L"C:\\x.png\\noextension", std::nullopt, OwnEncoder::None}, // a dot in a folder name is no extension
        {L"C:\\x\\trailingdot.", std::nullopt, OwnEncoder::None},
        {L"C:\\x\\a.pngx", std::nullopt, OwnEncoder::None},
        {L"C:\\x\\a.png.bmp", 0, OwnEncoder::None},
        {L"Z:\\tmp\\画像.png", 4, OwnEncoder::Png},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(panel::ChooseEncoder(kEncoders, c.path), c.encoder) << c.path;
        EXPECT_EQ(panel::OwnEncoderFor(c.path), c.own) << c.path;
    }
}

TEST(EncoderChoice, SeparatorsNeverMakeEmptyItems) {
    const std::vector<std::wstring> lists = {L";;*.AAA;;;*.BBB;", L";", L"", L"*.CCC"};
    EXPECT_EQ(panel::ChooseEncoder(lists, L"x.aaa"), 0u);
    EXPECT_EQ(panel::ChooseEncoder(lists, L"x.bbb"), 0u);
    EXPECT_EQ(panel::ChooseEncoder(lists, L"x.ccc"), 3u);
    EXPECT_EQ(panel::ChooseEncoder(lists, L"x"), std::nullopt);
    EXPECT_EQ(panel::ChooseEncoder(lists, L"x."), std::nullopt);
}

TEST(EncoderChoice, FirstEncoderWins) {
    const std::vector<std::wstring> lists = {L"*.ONE;*.PNG", L"*.PNG"};
    EXPECT_EQ(panel::ChooseEncoder(lists, L"a.png"), 0u);
}

TEST(EncoderChoice, OnlyAsciiLettersIgnoreCase) {
    EXPECT_TRUE(panel::SameExtension(L".PnG", L".png"));
    EXPECT_FALSE(panel::SameExtension(L".ＰＮＧ", L".ｐｎｇ")); // full-width letters compare exactly
    EXPECT_FALSE(panel::SameExtension(L".png", L".pn"));
}

TEST(EncoderChoice, PathExtension) {
    EXPECT_EQ(panel::PathExtension(L"*.BMP"), L".BMP");
    EXPECT_EQ(panel::PathExtension(L"C:\\a.b\\c"), L"");
    EXPECT_EQ(panel::PathExtension(L"c.tar.gz"), L".gz");
    EXPECT_EQ(panel::PathExtension(L".hidden"), L".hidden");
}

TEST(SaveTypes, FileFilterGivesTheTypesInOrder) {
    const auto types =
        panel::ParseFileFilter(L"BMP(*.bmp)|*.bmp|GIF(*.gif)|*.gif|JPG(*.jpg)|*.jpg|PNG(*.png)|*.png||");
    ASSERT_EQ(types.size(), 4u);
    EXPECT_EQ(types[0].first, L"BMP(*.bmp)");
    EXPECT_EQ(types[0].second, L"*.bmp");
    EXPECT_EQ(types[3].first, L"PNG(*.png)");
    EXPECT_EQ(types[3].second, L"*.png");
    EXPECT_TRUE(panel::ParseFileFilter(L"").empty());
    EXPECT_TRUE(panel::ParseFileFilter(L"||").empty());
    EXPECT_EQ(panel::ParseFileFilter(L"A|*.a|B").size(), 1u); // an unfinished pair is dropped
}

} // namespace
