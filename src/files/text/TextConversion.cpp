#include "files/text/TextConversion.h"

#include <utility>

#include "files/text/TextEncodings.h"

namespace {

struct TRememberedChoice {
    std::string FileName;
    std::int32_t Encoding = teUndecided;
};

TRememberedChoice& Remembered() {
    static TRememberedChoice choice;
    return choice;
}

TTextConvDialog& Dialog() {
    static TTextConvDialog dialog;
    return dialog;
}

bool SameFileName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

void SetTextConvDialog(TTextConvDialog dialog) {
    Dialog() = std::move(dialog);
}

bool RunTextConvDialog(TTextConvParams& params) {
    const TTextConvDialog& dialog = Dialog();
    if (!dialog)
        return true;
    TTextConvParams copy = params;
    if (!dialog(copy))
        return false;
    params = copy;
    return true;
}

std::int32_t ConfirmTextEncoding(const std::string& fileName,
                                 std::int32_t guessed,
                                 std::span<const std::uint8_t> sample,
                                 std::int32_t previewFont) {
    if (guessed == teUtf8 || guessed == teUtf8Bom)
        return guessed;
    TRememberedChoice& remembered = Remembered();
    if (remembered.Encoding != teUndecided && SameFileName(remembered.FileName, fileName))
        return remembered.Encoding;
    TTextConvParams params;
    params.Mode = tcmLoading;
    params.Sample = sample.data();
    params.SampleSize = static_cast<std::int32_t>(sample.size());
    params.Encoding = guessed;
    params.PreviewFont = previewFont;
    std::int32_t chosen = teUndecided;
    if (RunTextConvDialog(params) && params.Encoding >= 0 && params.Encoding < TextEncodingCount) {
        chosen = params.Encoding;
        remembered.FileName = fileName;
    }
    remembered.Encoding = chosen;
    return chosen;
}

void ForgetTextEncodingChoice() {
    Remembered().Encoding = teUndecided;
}
