#include "base/MessageBoxes.h"

#include <cstdio>

namespace {

TMessageBoxAnswerer& Answerer() {
    static TMessageBoxAnswerer answerer;
    return answerer;
}

const char* KindTitle(std::uint8_t kind) {
    switch (kind) {
        case mbkWarning:
            return "Warning";
        case mbkError:
            return "Error";
        case mbkConfirm:
            return "Confirm";
        default:
            return "Information";
    }
}

}  // namespace

TMessageBoxAnswerer SetMessageBoxAnswerer(TMessageBoxAnswerer answerer) {
    TMessageBoxAnswerer old = std::move(Answerer());
    Answerer() = std::move(answerer);
    return old;
}

std::uint16_t EscapeResult(std::uint16_t buttons) {
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    return mrOk;
}

std::uint16_t ShowMessageBox(std::string_view msg, std::uint8_t kind, std::uint16_t buttons) {
    TMessageBoxRequest request{std::string(msg), kind, buttons};
    if (Answerer())
        return Answerer()(request);
    std::fprintf(stderr, "%s: %.*s\n", KindTitle(kind), static_cast<int>(msg.size()), msg.data());
    return EscapeResult(buttons);
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

std::string FormatOneString(std::string_view fmt, std::string_view arg) {
    std::string out;
    const std::size_t at = fmt.find("%s");
    if (at == std::string_view::npos)
        return std::string(fmt);
    out.reserve(fmt.size() + arg.size());
    out.append(fmt.substr(0, at));
    out.append(arg);
    out.append(fmt.substr(at + 2));
    return out;
}

void ShowInformationFmt(std::string_view fmt, std::string_view arg) {
    ShowInformation(FormatOneString(fmt, arg));
}

void ShowErrorFmt(std::string_view fmt, std::string_view arg) {
    ShowError(FormatOneString(fmt, arg));
}
