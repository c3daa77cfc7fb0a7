#include "base/messages/MessageBoxes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "base/core/Checks.h"
#include "base/core/Errors.h"
#include "base/core/Geometry.h"
#include "base/text/HexText.h"

TMessageDlgInfo MessageBoxParams;
bool SuppressMessageBoxes = false;

const char* const MessageButtonCaptions[MessageButtonCount] = {
    "&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help",
};
const char* const MessageKindTitles[4] = {"Warning", "Error", "Information", "Confirm"};

// Yes/No 3, Yes/No/Cancel 11, OK 4, No/Ignore 66, none 0.
const std::uint16_t OptionalMessageButtons[OptionalMessageCount] = {
    3, 3, 3,  11, 3,  11, 11, 0, 66, 3,  // 0-9
    3, 0, 11, 3,  3,  3,  3,  0, 3,  3,  // 10-19
    3, 3, 3,  11, 11, 11, 4,  4, 3,  3,  // 20-29
    3, 3, 11, 11, 3,  4,  0,  3, 3,  3,  // 30-39
    3, 3, 3,  3,  3,  3,  0,  0, 4,  3,  // 40-49
    3, 3, 4,  3,                         // 50-53
};

namespace {

const char* const kDisabledOptionalMessage =
    "You have just disabled an optional message.\r\rTo re-enable it, choose the \"Tools | Options...\" menu "
    "command, and click the \"Optional Messages...\" button on the \"General\" tab.";

TMessageBoxAnswerer& Answerer() {
    static TMessageBoxAnswerer answerer;
    return answerer;
}

TMessageBoxHost& DefaultHost() {
    static TMessageBoxHost host;
    return host;
}

TMessageBoxHost* g_host = nullptr;

TMessageBoxHost& Host() {
    return g_host ? *g_host : DefaultHost();
}

std::uint8_t (&Answers())[OptionalMessageCount] {
    static std::uint8_t answers[OptionalMessageCount] = {};
    return answers;
}

std::deque<TQueuedMessageBox>& Queue() {
    static std::deque<TQueuedMessageBox> queue;
    return queue;
}

std::string DoubleAmpersands(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '&')
            out += '&';
    }
    return out;
}

// The stored answer of the box's optional message as a button index, or
// NoButton when the box must ask. An answer that names no button of the
// message (a hand-edited setting) asks again.
std::uint8_t StoredButton(std::uint8_t number, std::uint16_t buttons) {
    if (number >= OptionalMessageCount)
        return NoButton;
    const std::uint8_t answer = Answers()[number];
    if (!(answer & 0x80))
        return NoButton;
    const std::uint8_t button = answer & 0x7F;
    if (button >= MessageButtonCount || button == mbiCancel || !(buttons & (1u << button)))
        return NoButton;
    return button;
}

// The button whose modal result the answer is; NoButton when none is.
std::uint8_t ButtonOfResult(std::uint16_t result, std::uint16_t buttons) {
    for (std::uint8_t i = 0; i < MessageButtonCount; ++i)
        if ((buttons & (1u << i)) && MessageBoxParams.ModalResults[i] == result && result != mrNone)
            return i;
    return NoButton;
}

// The dialog itself, headless: asks the answerer (or answers as Escape
// would) and stores a "Do not ask again" answer.
std::uint16_t RunMessageDialog() {
    TMessageDlgInfo& p = MessageBoxParams;
    TMessageBoxRequest request;
    request.Text = p.Text;
    request.Kind = p.Kind;
    request.Buttons = p.Buttons;
    request.DefaultButton = p.DefaultButton != NoButton ? p.DefaultButton : DefaultButtonOf(p.Buttons);
    request.LastButton = p.LastButton;
    request.Title = !p.Caption.empty() ? p.Caption : (p.Kind < 4 ? MessageKindTitles[p.Kind] : "");
    request.OptionalMessage = p.OptionalMessage;

    std::uint16_t answer;
    if (Answerer()) {
        answer = Answerer()(request);
    } else {
        std::fprintf(stderr, "%s: %s\n", request.Title.c_str(), request.Text.c_str());
        answer = EscapeResult(p.Buttons);
    }
    const bool dontAskAgain = (answer & mrDontAskAgain) != 0;
    std::uint16_t result = answer & static_cast<std::uint16_t>(~mrDontAskAgain);
    // An answer that is none of the box's buttons counts as a close without
    // a button.
    if (result == mrCancel || ButtonOfResult(result, p.Buttons) == NoButton)
        result = EscapeResult(p.Buttons);

    if (dontAskAgain && p.OptionalMessage < OptionalMessageCount) {
        const std::uint8_t button = ButtonOfResult(result, p.Buttons);
        if (button != NoButton && button != mbiCancel) {
            Answers()[p.OptionalMessage] = static_cast<std::uint8_t>(0x80 | button);
            if (p.Buttons == mbOK) {
                // The notice is a box of its own; the record is reused for it.
                const TMessageDlgInfo saved = p;
                p.OptionalMessage = NoButton;
                p.DefaultButton = p.LastButton = NoButton;
                p.Caption.clear();
                ShowMessageBox(kDisabledOptionalMessage, mbkInformation, mbOK);
                p = saved;
            }
        }
    }
    return result;
}

void ResetOneShotFields() {
    MessageBoxParams.DefaultButton = NoButton;
    MessageBoxParams.LastButton = NoButton;
    MessageBoxParams.Caption.clear();
}

}  // namespace

TMessageBoxAnswerer SetMessageBoxAnswerer(TMessageBoxAnswerer answerer) {
    TMessageBoxAnswerer old = std::move(Answerer());
    Answerer() = std::move(answerer);
    return old;
}

void TMessageBoxHost::SystemMessageBox(std::string_view text) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void SetMessageBoxHost(TMessageBoxHost* host) {
    g_host = host;
}

std::uint8_t DefaultButtonOf(std::uint16_t buttons) {
    for (std::uint8_t button : {mbiOK, mbiYes, mbiRetry, mbiCancel})
        if (buttons & (1u << button))
            return button;
    return NoButton;
}

std::uint8_t EscapeButtonOf(std::uint16_t buttons) {
    if (buttons & mbCancel)
        return mbiCancel;
    if (buttons & mbNo)
        return mbiNo;
    return mbiOK;
}

std::uint16_t EscapeResult(std::uint16_t buttons) {
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    return mrOk;
}

std::uint16_t ShowMessageBox(std::string_view msg, std::uint8_t kind, std::uint16_t buttons) {
    TMessageDlgInfo& p = MessageBoxParams;
    if (SuppressMessageBoxes) {
        // A default button or caption set for this box must not reach the next one.
        ResetOneShotFields();
        return mrCancel;
    }
    TMessageBoxHost& host = Host();
    const std::uint8_t stored = StoredButton(p.OptionalMessage, buttons);
    const bool willShow = stored == NoButton;
    host.BeforeBox(willShow);
    if (willShow && kind < 4)
        host.PlayEventSound(1000 + kind);
    std::uint16_t result = mrCancel;
    if (host.Terminating()) {
        host.SystemMessageBox(msg);
    } else if (!willShow) {
        result = p.ModalResults[stored];
    } else {
        p.Text = DoubleAmpersands(msg);
        p.Kind = kind;
        p.Buttons = buttons;
        result = RunMessageDialog();
    }
    ResetOneShotFields();
    host.AfterBox();
    return result;
}

void ShowInformation(std::string_view msg) {
    ShowMessageBox(msg, mbkInformation, mbOK);
}

void ShowWarning(std::string_view msg) {
    ShowMessageBox(msg, mbkWarning, mbOK);
}

void ShowError(std::string_view msg) {
    ShowMessageBox(msg, mbkError, mbOK);
}

namespace {

// Errors reported by the lower layers are shown as error boxes.
const bool ErrorReporterInstalled = (SetErrorReporter(ShowError), true);

}  // namespace

void ShowInformationFmt(std::string_view fmt, std::string_view arg) {
    ShowInformation(FormatOneString(fmt, arg));
}

void ShowErrorFmt(std::string_view fmt, std::string_view arg) {
    ShowError(FormatOneString(fmt, arg));
}

std::uint16_t ShowOptionalMessage(std::string_view msg, std::uint8_t kind, int number) {
    REZ_ASSERT(number >= 0 && number < OptionalMessageCount);
    if (number < 0 || number >= OptionalMessageCount)
        return ShowMessageBox(msg, kind, mbOK);
    MessageBoxParams.OptionalMessage = static_cast<std::uint8_t>(number);
    const std::uint16_t result = ShowMessageBox(msg, kind, OptionalMessageButtons[number]);
    MessageBoxParams.OptionalMessage = NoButton;
    return result;
}

std::uint8_t OptionalMessageAnswer(int number) {
    return number >= 0 && number < OptionalMessageCount ? Answers()[number] : 0;
}

void SetOptionalMessageAnswer(int number, std::uint8_t answer) {
    if (number >= 0 && number < OptionalMessageCount)
        Answers()[number] = answer;
}

void ClearOptionalMessageAnswers() {
    std::memset(Answers(), 0, sizeof Answers());
}

void DecodeOptionalMessageAnswers(std::string_view hex) {
    ClearOptionalMessageAnswers();
    HexPairsToBytes(hex, Answers(), OptionalMessageCount);
}

std::string EncodeOptionalMessageAnswers() {
    return BytesToHexPairs(Answers(), OptionalMessageCount);
}

void QueueMessageBox(std::string_view text, std::uint8_t kind, std::uint16_t buttons, std::uint8_t number) {
    if (SuppressMessageBoxes)
        return;
    Queue().push_back(TQueuedMessageBox{std::string(text), kind, buttons, number});
}

int QueuedMessageBoxCount() {
    return static_cast<int>(Queue().size());
}

bool ShowNextQueuedMessageBox() {
    if (Queue().empty())
        return false;
    const TQueuedMessageBox box = std::move(Queue().front());
    Queue().pop_front();
    if (box.OptionalMessage < OptionalMessageCount)
        ShowOptionalMessage(box.Text, box.Kind, box.OptionalMessage);
    else
        ShowMessageBox(box.Text, box.Kind, box.Buttons);
    return true;
}

void ClearQueuedMessageBoxes() {
    Queue().clear();
}

std::int32_t PercentOf(std::int32_t value, std::int32_t percent) {
    return MulDiv(value, percent, 100);
}

void FillDWords(void* dest, std::int32_t count, std::uint32_t value) {
    auto* out = static_cast<unsigned char*>(dest);
    for (std::int32_t i = 0; i < count; ++i)
        std::memcpy(out + 4 * static_cast<std::size_t>(i), &value, 4);
}

void FillUnsetInts(void* dest, std::int32_t count) {
    FillDWords(dest, count, 0x80000000u);
}

void MoveDWords(const void* source, void* dest, std::int32_t count) {
    if (count > 0)
        std::memmove(dest, source, 4 * static_cast<std::size_t>(count));
}

void AdjustForAutoHideTaskbar(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) {}

std::int32_t ThemedPaddedBorderWidth() {
    return 0;
}
