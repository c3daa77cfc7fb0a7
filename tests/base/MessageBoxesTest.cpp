#include "base/messages/MessageBoxes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/files/OptionalMessageAnswers.h"
#include "base/files/TIniFile.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;

class TRecordingHost : public TMessageBoxHost {
public:
    bool Terminating() const override { return Quitting; }
    void BeforeBox(bool willShow) override { Before.push_back(willShow); }
    void PlayEventSound(int eventId) override { Sounds.push_back(eventId); }
    void SystemMessageBox(std::string_view text) override { SystemBoxes.emplace_back(text); }
    void AfterBox() override { ++After; }

    bool Quitting = false;
    std::vector<bool> Before;
    std::vector<int> Sounds;
    std::vector<std::string> SystemBoxes;
    int After = 0;
};

class MessageBoxesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxHost(&Host);
        ClearOptionalMessageAnswers();
        ClearQueuedMessageBoxes();
    }
    void TearDown() override {
        SetMessageBoxHost(nullptr);
        ClearOptionalMessageAnswers();
        ClearQueuedMessageBoxes();
        SuppressMessageBoxes = false;
    }
    TRecordingHost Host;
};

TEST_F(MessageBoxesTest, DefaultAndEscapeRules) {
    struct Case {
        std::uint16_t buttons;
        std::uint8_t defaultButton;
        std::uint8_t escapeButton;
        std::uint16_t escapeResult;
    };
    const Case cases[] = {
        {mbOK, mbiOK, mbiOK, mrOk},
        {mbYes | mbNo, mbiYes, mbiNo, mrNo},
        {mbYes | mbNo | mbCancel, mbiYes, mbiCancel, mrCancel},
        {mbOK | mbCancel, mbiOK, mbiCancel, mrCancel},
        {mbAbort | mbRetry | mbIgnore, mbiRetry, mbiOK, mrOk},
        {mbRetry | mbCancel, mbiRetry, mbiCancel, mrCancel},
        {mbNo | mbIgnore, NoButton, mbiNo, mrNo},
        {mbCancel | mbHelp, mbiCancel, mbiCancel, mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        EXPECT_EQ(DefaultButtonOf(c.buttons), c.defaultButton);
        EXPECT_EQ(EscapeButtonOf(c.buttons), c.escapeButton);
        EXPECT_EQ(EscapeResult(c.buttons), c.escapeResult);

        // A box closed without a button answers as Escape would.
        TScriptedMessageBoxes boxes({mrCancel});
        EXPECT_EQ(ShowMessageBox("Close me", mbkConfirm, c.buttons), c.escapeResult);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].DefaultButton, c.defaultButton);
    }
}

TEST_F(MessageBoxesTest, RecordTextTitleAndOneShotFields) {
    TScriptedMessageBoxes boxes({mrYes, mrOk, mrIgnore});
    MessageBoxParams.Caption = "Saving";
    MessageBoxParams.DefaultButton = mbiNo;
    MessageBoxParams.LastButton = mbiYes;
    EXPECT_EQ(ShowMessageBox("Tom & Jerry", mbkConfirm, mbYes | mbNo), mrYes);
    ShowError("R&D");
    // An answer that is none of the box's buttons counts as a close.
    EXPECT_EQ(ShowMessageBox("Retry?", mbkWarning, mbYes | mbNo), mrNo);

    const auto& shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].Text, "Tom && Jerry");  // shown as typed, not as an accelerator
    EXPECT_EQ(shown[0].Title, "Saving");
    EXPECT_EQ(shown[0].DefaultButton, mbiNo);
    EXPECT_EQ(shown[0].LastButton, mbiYes);
    EXPECT_EQ(shown[1].Text, "R&&D");
    EXPECT_EQ(shown[1].Title, "Error");  // the one-shot fields were reset
    EXPECT_EQ(shown[1].DefaultButton, mbiOK);
    EXPECT_EQ(shown[1].LastButton, NoButton);
    EXPECT_EQ(shown[1].Buttons, mbOK);
    EXPECT_EQ(shown[2].Title, "Warning");

    EXPECT_EQ(Host.Sounds, (std::vector<int>{1003, 1001, 1000}));
    EXPECT_EQ(Host.After, 3);
}

TEST_F(MessageBoxesTest, OptionalMessagesStoreTheirAnswer) {
    TScriptedMessageBoxes boxes({mrYes | mrDontAskAgain});
    EXPECT_EQ(ShowOptionalMessage("Open it?", mbkConfirm, 15), mrYes);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Buttons, mbYes | mbNo);
    EXPECT_EQ(boxes.Shown()[0].OptionalMessage, 15);
    EXPECT_EQ(OptionalMessageAnswer(15), 0x80 | mbiYes);
    EXPECT_EQ(MessageBoxParams.OptionalMessage, NoButton);

    // Never shown again, and answered without a sound.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ShowOptionalMessage("Open it?", mbkConfirm, 15), mrYes);
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(Host.Sounds.size(), 1u);
    EXPECT_EQ(Host.Before, (std::vector<bool>{true, false, false, false}));

    // A plain box of the same text is still shown.
    ShowMessageBox("Open it?", mbkConfirm, mbYes | mbNo);
    EXPECT_EQ(boxes.Shown().size(), 2u);
}

TEST_F(MessageBoxesTest, OptionalMessageEdges) {
    // Cancel is never stored, nor is an unticked answer.
    {
        TScriptedMessageBoxes boxes({mrCancel | mrDontAskAgain, mrNo});
        EXPECT_EQ(ShowOptionalMessage("Save?", mbkConfirm, 3), mrCancel);
        EXPECT_EQ(ShowOptionalMessage("Save?", mbkConfirm, 3), mrNo);
        EXPECT_EQ(OptionalMessageAnswer(3), 0);
        EXPECT_EQ(boxes.Shown().size(), 2u);
    }
    // An OK-only message tells how to switch it on again.
    {
        TScriptedMessageBoxes boxes({mrOk | mrDontAskAgain, mrOk});
        EXPECT_EQ(ShowOptionalMessage("Done.", mbkInformation, 26), mrOk);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].Kind, mbkInformation);
        EXPECT_EQ(boxes.Shown()[1].OptionalMessage, NoButton);
        EXPECT_EQ(boxes.Shown()[1].Text.rfind("You have just disabled an optional message.", 0), 0u);
        EXPECT_EQ(OptionalMessageAnswer(26), 0x80 | mbiOK);
        EXPECT_EQ(ShowOptionalMessage("Done.", mbkInformation, 26), mrOk);
        EXPECT_EQ(boxes.Shown().size(), 2u);
    }
    // A stored answer that names Cancel or a button the message lacks asks.
    for (std::uint8_t stored : {std::uint8_t(0x80 | mbiCancel), std::uint8_t(0x80 | mbiRetry), std::uint8_t(0xFF)}) {
        SetOptionalMessageAnswer(3, stored);
        TScriptedMessageBoxes boxes({mrYes});
        EXPECT_EQ(ShowOptionalMessage("Save?", mbkConfirm, 3), mrYes);
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
    // A message with no buttons of its own still closes with OK.
    TScriptedMessageBoxes boxes;
    EXPECT_EQ(ShowOptionalMessage("Note", mbkInformation, 7), mrOk);
}

TEST_F(MessageBoxesTest, StoredAnswersText) {
    DecodeOptionalMessageAnswers("8100868200");
    EXPECT_EQ(OptionalMessageAnswer(0), 0x81);
    EXPECT_EQ(OptionalMessageAnswer(2), 0x86);
    EXPECT_EQ(OptionalMessageAnswer(3), 0x82);
    for (int i = 4; i < OptionalMessageCount; ++i)
        EXPECT_EQ(OptionalMessageAnswer(i), 0) << i;
    const std::string text = EncodeOptionalMessageAnswers();
    EXPECT_EQ(text.size(), 108u);
    EXPECT_EQ(text.substr(0, 12), "810086820000");

    SetOptionalMessageAnswer(53, 0xAB);
    EXPECT_EQ(EncodeOptionalMessageAnswers().substr(106), "ab");
    // Reading stops at the first pair that is not hexadecimal; the rest is 0.
    DecodeOptionalMessageAnswers("80zz81");
    EXPECT_EQ(OptionalMessageAnswer(0), 0x80);
    EXPECT_EQ(OptionalMessageAnswer(2), 0);
    DecodeOptionalMessageAnswers(std::string(300, 'f'));  // longer than needed
    EXPECT_EQ(OptionalMessageAnswer(53), 0xFF);
}

TEST_F(MessageBoxesTest, StoredAnswersInTheSettingsFile) {
    TestSupport::TTempDir dir;
    TestSupport::WriteFileBytes(dir.File("in.ini"), "[Internal]\r\nOptMsgs=8100868200\r\n");
    {
        TIniFile ini(dir.File("in.ini"), false);
        LoadOptionalMessageAnswers(ini);
    }
    EXPECT_EQ(OptionalMessageAnswer(0), 0x81);
    EXPECT_EQ(OptionalMessageAnswer(3), 0x82);
    EXPECT_EQ(OptionalMessageAnswer(4), 0);
    EXPECT_EQ(OptionalMessageAnswer(53), 0);
    SetOptionalMessageAnswer(53, 0x8A);
    {
        TIniFile ini(dir.File("out.ini"), true);
        SaveOptionalMessageAnswers(ini);
    }
    const std::string written = TestSupport::ReadFileBytes(dir.File("out.ini"));
    EXPECT_NE(written.find("[Internal]"), std::string::npos);
    EXPECT_NE(written.find("OptMsgs=81008682" + std::string(98, '0') + "8a"), std::string::npos) << written;

    // A missing value asks every question again.
    TestSupport::WriteFileBytes(dir.File("empty.ini"), "");
    TIniFile empty(dir.File("empty.ini"), false);
    LoadOptionalMessageAnswers(empty);
    EXPECT_EQ(OptionalMessageAnswer(0), 0);
}

TEST_F(MessageBoxesTest, SuppressionAndTermination) {
    TScriptedMessageBoxes boxes({mrYes});
    SuppressMessageBoxes = true;
    MessageBoxParams.Caption = "Stale";
    EXPECT_EQ(ShowMessageBox("Hidden", mbkConfirm, mbYes | mbNo), mrCancel);
    QueueMessageBox("Later", mbkWarning, mbOK, NoButton);
    EXPECT_EQ(QueuedMessageBoxCount(), 0);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(Host.Sounds.empty());
    SuppressMessageBoxes = false;
    EXPECT_TRUE(MessageBoxParams.Caption.empty());

    Host.Quitting = true;
    EXPECT_EQ(ShowMessageBox("Bye", mbkConfirm, mbYes | mbNo), mrCancel);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(Host.SystemBoxes, (std::vector<std::string>{"Bye"}));
}

TEST_F(MessageBoxesTest, QueuedBoxesShowAtIdleInOrder) {
    TScriptedMessageBoxes boxes({mrOk, mrNo | mrDontAskAgain});
    QueueMessageBox("First", mbkWarning, mbOK, NoButton);
    QueueMessageBox("Second", mbkConfirm, 0, 16);
    EXPECT_EQ(QueuedMessageBoxCount(), 2);
    EXPECT_TRUE(boxes.Shown().empty());

    EXPECT_TRUE(ShowNextQueuedMessageBox());
    EXPECT_TRUE(ShowNextQueuedMessageBox());
    EXPECT_FALSE(ShowNextQueuedMessageBox());
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].Text, "First");
    EXPECT_EQ(boxes.Shown()[1].Buttons, mbYes | mbNo);  // the optional message's own buttons
    EXPECT_EQ(OptionalMessageAnswer(16), 0x80 | mbiNo);
}

TEST_F(MessageBoxesTest, SmallHelpers) {
    EXPECT_EQ(PercentOf(200, 50), 100);
    EXPECT_EQ(PercentOf(3, 50), 2);  // 1.5 rounds away from zero
    EXPECT_EQ(PercentOf(-3, 50), -2);
    EXPECT_EQ(PercentOf(7, 0), 0);

    std::uint32_t values[6] = {};
    FillDWords(values, 3, 7);
    FillUnsetInts(values + 3, 2);
    EXPECT_EQ(values[2], 7u);
    EXPECT_EQ(values[4], 0x80000000u);
    EXPECT_EQ(values[5], 0u);
    MoveDWords(values, values + 1, 5);  // overlapping
    EXPECT_EQ(values[0], 7u);
    EXPECT_EQ(values[3], 7u);
    EXPECT_EQ(values[4], 0x80000000u);
    EXPECT_EQ(values[5], 0x80000000u);

    std::int32_t l = 0, t = 0, r = 100, b = 100;
    AdjustForAutoHideTaskbar(l, t, r, b);
    EXPECT_EQ(l + t + r + b, 200);
}

}  // namespace
