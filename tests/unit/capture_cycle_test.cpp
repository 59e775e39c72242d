#include "panel/capture_cycle.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

using panel::Command;
using panel::Refusal;

TEST(CaptureCycle, RefusalsFollowTheStateTable) {
    struct Case {
        Command command;
        Refusal withoutPicture;
        Refusal withPicture;
    };
    const Case table[] = {
        {Command::Capture, Refusal::None, Refusal::AlreadyCaptured},
        {Command::Clear, Refusal::None, Refusal::None},
        {Command::Copy, Refusal::NothingToCopy, Refusal::None},
        {Command::Save, Refusal::NothingToSave, Refusal::None},
        {Command::CaptureToClipboard, Refusal::None, Refusal::None},
    };
    for (const Case& c : table) {
        EXPECT_EQ(panel::RefusalFor(c.command, false), c.withoutPicture) << static_cast<int>(c.command);
        EXPECT_EQ(panel::RefusalFor(c.command, true), c.withPicture) << static_cast<int>(c.command);
    }
}

TEST(CaptureCycle, RefusalTexts) {
    EXPECT_STREQ(panel::RefusalText(Refusal::AlreadyCaptured),
                 L"すでにキャプチャー中です。\r\n再度キャプチャーするにはClearしてください.");
    EXPECT_STREQ(panel::RefusalText(Refusal::NothingToCopy), L"現在キャプチャイメージを保持していません");
    EXPECT_STREQ(panel::RefusalText(Refusal::NothingToSave), L"現在キャプチャー中の画像はありません.");
    EXPECT_EQ(panel::RefusalText(Refusal::None), nullptr);
}

// Only a capture the user started in the panel gives the windows the activation back: after a countdown the
// program the user works in keeps it.
TEST(CaptureCycle, ActivationAfterACapture) {
    EXPECT_TRUE(panel::TakesActivationBack(panel::CaptureStart::PanelCommand));
    EXPECT_FALSE(panel::TakesActivationBack(panel::CaptureStart::Countdown));
}

} // namespace
