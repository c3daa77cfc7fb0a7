#include "files/saving/ClipLibrary.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/core/Errors.h"
#include "files/saving/DocumentNames.h"
#include "files/saving/SaveSelection.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

// The characters that end words: controls, blanks, ASCII punctuation
// except the apostrophe, the grave accent and the ampersand, and the
// typographic marks of Windows code page 1252 (euro, low quotes, ellipsis,
// double quotes, trade mark, copyright, registered, guillemets).
bool IsWordDelimiter(char16_t c) {
    if (c < 32)
        return c >= 2 && c <= 20 && c != 15 && c != 17;
    if (c < 128) {
        constexpr std::u16string_view ascii = u" !\"#$%()*+,-./:;<=>?@[\\]^_{|}~";
        return ascii.find(c) != std::u16string_view::npos;
    }
    constexpr std::u16string_view marks = u"\u20AC\u201A\u201E\u2026\u201C\u201D\u2122\u00A9\u00AB\u00AE\u00BB";
    return marks.find(c) != std::u16string_view::npos;
}

// The typographic quotes and guillemets a file name must not hold, beside
// the ASCII characters SanitizeFileName knows.
bool IsForbiddenMark(char16_t c) {
    return c == u'\u201E' || c == u'\u201C' || c == u'\u201D' || c == u'\u00AB' || c == u'\u00BB';
}

}  // namespace

std::string ClipNameFromText(std::u16string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsWordDelimiter(text[end - 1]))
        --end;
    std::u16string name(text.substr(0, std::min(end, MaxClipNameLength)));
    for (char16_t& c : name) {
        const bool ascii = c < 128;
        if (c < 32 || (ascii && SanitizeFileName(std::string(1, static_cast<char>(c)), false).empty() && c != u' ') ||
            IsForbiddenMark(c))
            c = u' ';
    }
    const std::size_t first = name.find_first_not_of(u' ');
    if (first == std::u16string::npos)
        return {};
    const std::size_t last = name.find_last_not_of(u' ');
    return Platform::Utf16ToUtf8(name.substr(first, last - first + 1));
}

std::string ClipNameFromSelection(TDoc& doc) {
    if (doc.Selection == nullptr || doc.Selection->Count() == 0)
        return {};
    const TFragment range = doc.Selection->Fragment(0);
    const TTextPos start =
        range.Start.Par < range.End.Par || (range.Start.Par == range.End.Par && range.Start.Offset <= range.End.Offset)
            ? range.Start
            : range.End;
    if (start.Par < 0 || start.Par >= doc.ParCount())
        return {};
    TFragment sentence;
    doc.SentenceAt(start, sentence);
    TPar& par = *doc.Par(start.Par);
    par.BuildWideText();
    const auto size = static_cast<std::int32_t>(par.WideText.size());
    const std::int32_t from = std::clamp(sentence.Start.Par == start.Par ? sentence.Start.Offset : 0, 0, size);
    const std::int32_t to = std::clamp(sentence.End.Par == start.Par ? sentence.End.Offset : size, from, size);
    return ClipNameFromText(
        std::u16string_view(par.WideText).substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
}

std::string SuggestedClipPath(const std::string& folder, const std::string& clipName, const std::string& extension) {
    if (!clipName.empty())
        return folder + clipName + "." + extension;
    // The number is the only "%" the pattern may hold: a folder's own
    // percent signs are doubled.
    std::string pattern;
    for (const char c : folder) {
        pattern += c;
        if (c == '%')
            pattern += '%';
    }
    return FirstFreeNumberedName(pattern + "Clip %d." + extension);
}

bool IsInsideClipLibrary(const std::string& path, const std::string& library) {
    namespace fs = std::filesystem;
    if (path.empty() || library.empty())
        return false;
    std::error_code error;
    const fs::path file = fs::absolute(fs::path(path), error).lexically_normal();
    if (error)
        return false;
    fs::path root = fs::absolute(fs::path(library), error).lexically_normal();
    if (error)
        return false;
    if (!root.has_filename())
        root = root.parent_path();
    const fs::path relative = file.lexically_relative(root);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

bool CreateClipLibraryFolders(const std::string& library) {
    namespace fs = std::filesystem;
    for (const fs::path& folder :
         {fs::path(library), fs::path(library) / ClipImagesFolder, fs::path(library) / ClipTablesFolder}) {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error || !fs::is_directory(folder, error)) {
            ReportErrorFmt("Cannot create folder \"%s\".", folder.string().c_str());
            return false;
        }
    }
    return true;
}
