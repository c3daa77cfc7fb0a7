#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/GdiTypes.h"
#include "platform/Windows.h"

// The clipboard in the Windows model (numbered formats, open, empty, set,
// get, close) over the desktop's clipboard, where data travels as MIME
// types. Each format has one MIME type, so that other programs on the
// desktop read what we copy and we read what they copy:
//
//   CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT  text/plain;charset=utf-8 (and text/plain)
//   CF_DIB, CF_BITMAP                    image/png
//   CF_ENHMETAFILE                       image/emf (the metafile's bytes)
//   CF_HDROP                             text/uri-list
//   "Rich Text Format"                   text/rtf
//   "HTML Format"                        text/html (the header comes and goes)
//   "PNG"                                image/png
//   any other registered name            application/x-rezozuri-format.<name, percent-encoded>
//
// Data is handed over as bytes in the Windows layout of each format: text
// ends with a null character, a DIB is a BITMAPINFOHEADER with its colours
// and bits, a file drop is a DROPFILES block. The clipboard belongs to the
// main thread; calls on other threads fail.
namespace Platform {

// Standard formats.
enum : std::uint32_t {
    CF_TEXT = 1,
    CF_BITMAP = 2,
    CF_METAFILEPICT = 3,
    CF_SYLK = 4,
    CF_DIF = 5,
    CF_TIFF = 6,
    CF_OEMTEXT = 7,
    CF_DIB = 8,
    CF_PALETTE = 9,
    CF_PENDATA = 10,
    CF_RIFF = 11,
    CF_WAVE = 12,
    CF_UNICODETEXT = 13,
    CF_ENHMETAFILE = 14,
    CF_HDROP = 15,
    CF_LOCALE = 16,
    CF_DIBV5 = 17,
};
// Registered formats are numbered from here up to 0xFFFF.
constexpr std::uint32_t kFirstRegisteredClipboardFormat = 0xC000;

bool OpenClipboard(HWND owner);  // false when it is open already
bool CloseClipboard();           // publishes what was set since opening
bool EmptyClipboard();           // makes the opener the owner
HWND GetOpenClipboardWindow();
HWND GetClipboardOwner();
// Increases with every change of the desktop's clipboard, ours or another
// program's.
std::uint32_t GetClipboardSequenceNumber();

// Sets one format's data (the clipboard must be open); false, with the
// clipboard unchanged, for a format we cannot carry or data that is not of
// its format.
bool SetClipboardData(std::uint32_t format, std::span<const std::uint8_t> data);
// Another format's data, or none (the clipboard must be open). Text comes in
// the format asked for whichever text format was set.
std::optional<std::vector<std::uint8_t>> GetClipboardData(std::uint32_t format);
// CF_BITMAP as a bitmap: the clipboard takes a copy; the caller deletes the
// bitmap it gets.
bool SetClipboardBitmap(HBITMAP bitmap);
HBITMAP GetClipboardBitmap();

bool IsClipboardFormatAvailable(std::uint32_t format);  // needs no open clipboard
// The format after the given one (0: the first); 0 after the last.
std::uint32_t EnumClipboardFormats(std::uint32_t format);
int CountClipboardFormats();

// The same name (compared without case) gives the same number; 0 for an
// empty name or when the range is full.
std::uint32_t RegisterClipboardFormat(std::u16string_view name);
std::u16string GetClipboardFormatName(std::uint32_t format);  // registered formats only
// The MIME type a format travels as; empty for formats we cannot carry.
std::string ClipboardMimeTypeOf(std::uint32_t format);

// The DROPFILES block of CF_HDROP (wide names), and its reading; the
// reader accepts ANSI (code page 1252) names too.
std::vector<std::uint8_t> EncodeDropFiles(const std::vector<std::u16string>& paths);
TReadResult DecodeDropFiles(std::span<const std::uint8_t> data, std::vector<std::u16string>& paths);

// "HTML Format" data: the description header with byte offsets, then the
// HTML. The fragment is what lies between the <!--StartFragment--> and
// <!--EndFragment--> comments when the HTML has them, else all of it.
std::string EncodeClipboardHtml(std::string_view html);
// The HTML from StartHTML to EndHTML (the fragment when StartHTML is -1).
TReadResult DecodeClipboardHtml(std::string_view data, std::string& html);

}  // namespace Platform
