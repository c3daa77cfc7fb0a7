#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/core/Errors.h"

// The message-box family. Every question, warning and error goes through
// ShowMessageBox, which fills the one global record MessageBoxParams and
// runs the box. Until the windowed box exists the answer comes from the
// headless answerer: a hook that tests set to script answers, or, without a
// hook, the answer a box closed with Escape would give (printed to stderr
// so that batch runs still see the text).
//
// Optional messages are the questions whose answer the user may store once
// and for all ("Do not ask again"); boxes raised where a modal loop must not
// start (loading, timers, drag and drop) are queued and shown at idle.

// Kinds: the title, icon and event sound of a box.
enum : std::uint8_t { mbkWarning = 0, mbkError = 1, mbkInformation = 2, mbkConfirm = 3 };

// Button set bits (button i is bit i) and modal results.
enum : std::uint16_t {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64,
    mbAll = 128,
    mbNoToAll = 256,
    mbYesToAll = 512,
    mbHelp = 1024,
};
enum : std::uint16_t {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// Button indices (bit numbers) and what goes with them.
enum : std::uint8_t {
    mbiYes = 0,
    mbiNo = 1,
    mbiOK = 2,
    mbiCancel = 3,
    mbiAbort = 4,
    mbiRetry = 5,
    mbiIgnore = 6,
    mbiAll = 7,
    mbiNoToAll = 8,
    mbiYesToAll = 9,
    mbiHelp = 10,
};
constexpr int MessageButtonCount = 11;
constexpr std::uint8_t NoButton = 255;
extern const char* const MessageButtonCaptions[MessageButtonCount];
extern const char* const MessageKindTitles[4];

// The parameters of the next box. Callers may set DefaultButton, LastButton
// and Caption before ShowMessageBox; every box resets the three.
struct TMessageDlgInfo {
    std::string Text;  // as shown: every "&" doubled
    std::uint8_t Kind = mbkInformation;
    std::uint16_t Buttons = mbOK;
    std::uint8_t DefaultButton = NoButton;    // a button index; NoButton: chosen by rule
    std::uint8_t LastButton = NoButton;       // a button index placed after all others
    std::string Caption;                      // a one-shot title in place of the kind's
    std::uint8_t OptionalMessage = NoButton;  // NoButton: not an optional message
    std::uint16_t ModalResults[MessageButtonCount] = {mrYes,    mrNo,  mrOk,      mrCancel,   mrAbort, mrRetry,
                                                      mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};
};
extern TMessageDlgInfo MessageBoxParams;

// The default button when the caller chose none: OK, else Yes, else Retry,
// else Cancel, the first present; NoButton when none of them is.
std::uint8_t DefaultButtonOf(std::uint16_t buttons);
// The button that answers Escape: Cancel, else No, else OK.
std::uint8_t EscapeButtonOf(std::uint16_t buttons);
// The result of closing a box without a button: Cancel when present, else No
// when present, else OK.
std::uint16_t EscapeResult(std::uint16_t buttons);

// What the headless answerer is shown: the record as the box would show it,
// with the default button already chosen.
struct TMessageBoxRequest {
    std::string Text;  // UTF-8, "&" doubled
    std::uint8_t Kind = mbkInformation;
    std::uint16_t Buttons = mbOK;
    std::uint8_t DefaultButton = NoButton;
    std::uint8_t LastButton = NoButton;
    std::string Title;
    std::uint8_t OptionalMessage = NoButton;
};

// Answers boxes without a window; returns a modal result. An answer with
// mrDontAskAgain added ticks the "Do not ask again" box of an optional
// message. mrCancel stands for a box closed without a button.
constexpr std::uint16_t mrDontAskAgain = 0x8000;
using TMessageBoxAnswerer = std::function<std::uint16_t(const TMessageBoxRequest&)>;
// Installs an answerer and returns the previous one.
TMessageBoxAnswerer SetMessageBoxAnswerer(TMessageBoxAnswerer answerer);

// What a box needs of the application around it: the terminating state,
// the top pop-up window, the main window's visibility, the event sounds,
// the spellcheck flag parked while a box is shown, the refresh afterwards
// and the plain system box. The shell installs its own; the defaults do
// nothing and are never terminating.
class TMessageBoxHost {
public:
    virtual ~TMessageBoxHost() = default;
    virtual bool Terminating() const { return false; }
    // Before every box that is not suppressed: the as-you-type spellcheck
    // flag is parked and the main window's visibility noted; when the box
    // will really show (no stored answer) and the application is not
    // terminating, its top pop-up window comes back.
    virtual void BeforeBox(bool willShow) {}
    virtual void PlayEventSound(int eventId) {}
    // The plain system box with OK, used while terminating and when the
    // dialog cannot run.
    virtual void SystemMessageBox(std::string_view text);
    // After every box that was not suppressed: the main window hidden again
    // when it was hidden, the spellcheck flag restored, the interface marked
    // for refresh and the running operation told to refresh its caret.
    virtual void AfterBox() {}
};
void SetMessageBoxHost(TMessageBoxHost* host);  // nullptr restores the default

// While set, no box is shown or queued and every box answers mrCancel.
extern bool SuppressMessageBoxes;

std::uint16_t ShowMessageBox(std::string_view msg, std::uint8_t kind, std::uint16_t buttons);
void ShowInformation(std::string_view msg);
void ShowWarning(std::string_view msg);
void ShowError(std::string_view msg);
// Formats fmt with one string argument in place of its "%s".
void ShowInformationFmt(std::string_view fmt, std::string_view arg);
void ShowErrorFmt(std::string_view fmt, std::string_view arg);

// The optional messages: the button set of each.
constexpr int OptionalMessageCount = 54;
extern const std::uint16_t OptionalMessageButtons[OptionalMessageCount];

// The box of optional message number with that message's buttons; a stored
// answer is returned at once, without a box or a sound.
std::uint16_t ShowOptionalMessage(std::string_view msg, std::uint8_t kind, int number);

// The stored answers: bit 7 set means "Do not ask again", bits 0-6 the
// index of the button then chosen; 0 means ask.
std::uint8_t OptionalMessageAnswer(int number);
void SetOptionalMessageAnswer(int number, std::uint8_t answer);
void ClearOptionalMessageAnswers();
// The settings value "OptMsgs": two hexadecimal digits a message. A shorter
// value leaves the remaining messages at 0; reading stops at the first pair
// that is not hexadecimal.
void DecodeOptionalMessageAnswers(std::string_view hex);
std::string EncodeOptionalMessageAnswers();  // lower-case digits

// A box to show later, at idle.
struct TQueuedMessageBox {
    std::string Text;
    std::uint8_t Kind = mbkInformation;
    std::uint16_t Buttons = mbOK;
    std::uint8_t OptionalMessage = NoButton;
};
// Nothing while SuppressMessageBoxes is set.
void QueueMessageBox(std::string_view text, std::uint8_t kind, std::uint16_t buttons, std::uint8_t number);
int QueuedMessageBoxCount();
// Shows the oldest queued box (as an optional message when it is one) and
// removes it; false when the queue is empty.
bool ShowNextQueuedMessageBox();
void ClearQueuedMessageBoxes();

// MulDiv(value, percent, 100), rounded to nearest.
std::int32_t PercentOf(std::int32_t value, std::int32_t percent);
// count 32-bit values set to value; FillUnsetInts sets 0x80000000, the
// unset mark. MoveDWords copies count values (the blocks may overlap).
void FillDWords(void* dest, std::int32_t count, std::uint32_t value);
void FillUnsetInts(void* dest, std::int32_t count);
void MoveDWords(const void* source, void* dest, std::int32_t count);
// Desktops here keep room for their panels in the work area themselves, so
// an auto-hidden panel needs no room left: the rectangle stays as it is.
void AdjustForAutoHideTaskbar(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom);
// The extra border of themed windows; the window manager draws borders here.
std::int32_t ThemedPaddedBorderWidth();
