#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

// The decision around the "File Conversion" dialog: when a guessed encoding
// is confirmed, what is remembered, and what the dialog is handed. The
// dialog itself belongs to the window layer, which installs it.

// The dialog's parameter record, copied in and, after OK, out.
struct TTextConvParams {
    // 0 loading (the sample is raw file bytes), 1 saving (the sample is
    // UTF-16 text).
    std::uint8_t Mode = 0;
    std::uint8_t LineBreak = 0;
    const void* Sample = nullptr;
    std::int32_t SampleSize = 0;
    std::int32_t Encoding = -1;
    std::int32_t PreviewFont = 0;
};
enum : std::uint8_t { tcmLoading = 0, tcmSaving = 1 };

using TTextConvDialog = std::function<bool(TTextConvParams&)>;
void SetTextConvDialog(TTextConvDialog dialog);
// True after OK, the record then holding the choice. Without an installed
// dialog (programs without windows) the record's guess is taken as it is.
bool RunTextConvDialog(TTextConvParams& params);

// The encoding to read a file with, given the guess: UTF-8 needs no
// question; the file confirmed last (its name compared without regard to
// case) takes the remembered choice; otherwise the dialog decides, and its
// answer (teUndecided for Cancel) is remembered with the file's name.
std::int32_t ConfirmTextEncoding(const std::string& fileName,
                                 std::int32_t guessed,
                                 std::span<const std::uint8_t> sample,
                                 std::int32_t previewFont);

// The File Open command forgets the remembered choice each time it runs.
void ForgetTextEncodingChoice();
