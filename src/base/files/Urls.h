#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TStringList;

// Recognising, splitting, resolving and following links. Texts are UTF-8.

// The parts of a URL.
struct TURLComponents {
    std::string Scheme;  // a known scheme as the list writes it, or a drive letter
    std::string Host;
    std::string Path;               // without a leading "/"
    std::string Params;             // after ";"
    std::string Query;              // after "?"
    std::string Fragment;           // after "#"
    std::uint8_t AbsolutePath = 0;  // the path began with "/"
    std::uint8_t IsFile = 0;        // the scheme is "file"
};

void SplitUrl(std::string_view url, TURLComponents& parts);
// Resolves url against base: a url with a scheme stands on its own; a
// relative one takes the base's scheme, host and folder, with "." and ".."
// segments worked out.
void CombineUrl(std::string_view base, std::string_view url, TURLComponents& parts, std::string& result);

// Starts, without case, with a known scheme and ":", or with "www".
bool HasUrlScheme(std::string_view text);
// Some "." is followed by two letters or by a digit.
bool HasDomainDot(std::string_view text);
// The text after its last "." (in the part after the last "\" or ":") is a
// domain ending of the list and not a capitalised word.
bool EndsWithKnownDomain(std::string_view text);
// Not empty, has a domain dot, and has a scheme, an "@" or a known ending.
bool LooksLikeUrl(std::string_view text);
// "http://" in front unless the text has a scheme (or starts with "www").
std::string AddHttpPrefix(std::string_view text);

// The domain endings that make a text a web address ("com", "de", ...):
// a sorted option list, filled with the defaults on first use.
TStringList& DomainEndings();

// What following a link needs of the application: the desktop's opener,
// the open documents, the option to open linked documents in the program,
// the clipboard and the picture kinds. The shell installs its own; the
// defaults open everything through the desktop.
class THyperlinkHost {
public:
    virtual ~THyperlinkHost() = default;
    // Hands a web address, mail address or file to the desktop.
    virtual bool Launch(const std::string& target);
    // Brings the document to the front when it is open; false when it is not.
    virtual bool BringOpenDocumentToFront(const std::string& path) { return false; }
    virtual bool OpenLinkedDocumentsInProgram() const { return false; }
    virtual bool OpenInProgram(const std::string& path) { return false; }
    virtual void CopyToClipboard(const std::string& text) {}
    // 0..5 for a picture file, 255 otherwise.
    virtual int PictureFileKind(const std::string& path) const;
};
void SetHyperlinkHost(THyperlinkHost* host);  // nullptr restores the default

// Follows a link: web addresses open in the browser, e-mail addresses in the
// mail client, documents in the program (with the option on), pictures and
// media files in their programs, and any other file, web pages and scripts
// among them, only after the user confirmed it (optional message 15).
void OpenHyperlink(std::string_view target);

// The URL of an internet shortcut (.url): the rest of its first line that
// begins with "URL="; empty when there is none or the file cannot be read.
// With text given, its lines are read instead of the file.
std::string ReadInternetShortcutUrl(const std::string& fileName, const std::string* text = nullptr);
