#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The message-box family. Every question, warning and error goes through
// ShowMessageBox. Until the windowed box exists the answer comes from the
// headless answerer: a hook that tests set to script answers, or, without a
// hook, the answer a box closed with Escape would give (printed to stderr
// so that batch runs still see the text).

enum : std::uint8_t { mbkWarning = 0, mbkError = 1, mbkInformation = 2, mbkConfirm = 3 };

// Button set bits and modal results.
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

struct TMessageBoxRequest {
    std::string Text;  // UTF-8
    std::uint8_t Kind = mbkInformation;
    std::uint16_t Buttons = mbOK;
};

// Answers boxes without a window; returns a modal result.
using TMessageBoxAnswerer = std::function<std::uint16_t(const TMessageBoxRequest&)>;
// Installs an answerer and returns the previous one.
TMessageBoxAnswerer SetMessageBoxAnswerer(TMessageBoxAnswerer answerer);

// The result of closing a box without a button: Cancel when present, else No
// when present, else OK.
std::uint16_t EscapeResult(std::uint16_t buttons);

std::uint16_t ShowMessageBox(std::string_view msg, std::uint8_t kind, std::uint16_t buttons);
void ShowInformation(std::string_view msg);
void ShowWarning(std::string_view msg);
void ShowError(std::string_view msg);
// Formats fmt with one string argument in place of its "%s".
void ShowInformationFmt(std::string_view fmt, std::string_view arg);
void ShowErrorFmt(std::string_view fmt, std::string_view arg);
std::string FormatOneString(std::string_view fmt, std::string_view arg);
