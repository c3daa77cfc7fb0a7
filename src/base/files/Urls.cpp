#include "base/files/Urls.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "base/messages/MessageBoxes.h"
#include "base/text/TStringList.h"
#include "base/text/TextCase.h"
#include "platform/Process.h"

namespace {

const char* const kSchemes[] = {"ftp",  "http",   "https", "gopher", "mailto",  "news",
                                "nntp", "telnet", "wais",  "file",   "prospero"};

THyperlinkHost* g_host = nullptr;

THyperlinkHost& Host() {
    static THyperlinkHost defaults;
    return g_host ? *g_host : defaults;
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != Lower(prefix[i]))
            return false;
    return true;
}

std::string Trimmed(std::string_view text) {
    std::size_t start = 0, end = text.size();
    while (start < end && static_cast<unsigned char>(text[start]) <= ' ')
        ++start;
    while (end > start && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return std::string(text.substr(start, end - start));
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
}

// Cuts the text from the first mark on into part (without the mark).
void CutPart(std::string& text, char mark, std::string& part) {
    const std::size_t at = text.find(mark);
    if (at == std::string::npos)
        return;
    part = text.substr(at + 1);
    text.erase(at);
}

bool IsLetter(char c) {
    // Bytes from 0x80 up belong to letters of other scripts in UTF-8.
    return std::isalpha(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80;
}

std::string Extension(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = Lower(c);
    return ext;
}

bool InList(const std::string& ext, std::initializer_list<const char*> list) {
    for (const char* e : list)
        if (ext == e)
            return true;
    return false;
}

// Works out "." and ".." segments of a merged path.
std::string RemoveDotSegments(std::string path, bool hasHost) {
    // "./" at the start or after "/".
    for (std::size_t at = 0; (at = path.find("./", at)) != std::string::npos;) {
        if (at == 0 || path[at - 1] == '/')
            path.erase(at, 2);
        else
            at += 2;
    }
    // A trailing "." (the whole path or after "/").
    if (path == "." || (path.size() >= 2 && path.compare(path.size() - 2, 2, "/.") == 0))
        path.pop_back();
    // "/../" with the segment before it.
    for (;;) {
        const std::size_t at = path.find("/../");
        if (at == std::string::npos)
            break;
        const std::size_t segment = at == 0 ? std::string::npos : path.rfind('/', at - 1);
        const std::size_t start = segment == std::string::npos ? 0 : segment + 1;
        if (path.compare(start, 3, "../") == 0 && start < at)
            break;  // nothing left to go up from
        path.erase(start, at + 4 - start);
    }
    // A trailing "/.." with the segment before it.
    if (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0) {
        const std::size_t at = path.size() - 3;
        const std::size_t segment = at == 0 ? std::string::npos : path.rfind('/', at - 1);
        path.erase(segment == std::string::npos ? 0 : segment + 1);
    }
    while (path.compare(0, 3, "../") == 0)
        path.erase(0, 3);
    if (path.empty() && hasHost)
        path.assign(1, '/');
    return path;
}

}  // namespace

void SplitUrl(std::string_view url, TURLComponents& parts) {
    std::string text(url);
    ReplaceAll(text, "///", "//");
    text = Trimmed(text);
    parts = TURLComponents{};
    if (text.size() >= 2 && text[1] == ':') {
        parts.Scheme = text.substr(0, 1);
        text.erase(0, 2);
    } else {
        if (text.size() > 2 && text.compare(0, 2, "//") == 0)
            text = "http:" + text;
        for (const char* scheme : kSchemes) {
            const std::string prefix = std::string(scheme) + ":";
            if (StartsWithNoCase(text, prefix)) {
                parts.Scheme = scheme;
                text.erase(0, prefix.size());
                parts.IsFile = parts.Scheme == "file";
                if (parts.IsFile)
                    std::replace(text.begin(), text.end(), '\\', '/');
                break;
            }
        }
    }
    CutPart(text, '#', parts.Fragment);
    CutPart(text, '?', parts.Query);
    CutPart(text, ';', parts.Params);
    const std::size_t slashes = text.find("//");
    if (slashes != std::string::npos) {
        const std::size_t end = text.find('/', slashes + 2);
        parts.Host = text.substr(slashes + 2, end == std::string::npos ? std::string::npos : end - slashes - 2);
        text.erase(slashes, end == std::string::npos ? std::string::npos : end - slashes);
    }
    if (!text.empty() && text[0] == '/') {
        text.erase(0, 1);
        parts.AbsolutePath = 1;
    }
    parts.Path = text;
}

void CombineUrl(std::string_view base, std::string_view url, TURLComponents& parts, std::string& result) {
    const std::string b = Trimmed(base);
    const std::string u = Trimmed(url);
    SplitUrl(u, parts);
    if (b.empty() || u.empty() || !parts.Scheme.empty()) {
        result = b.empty() || !parts.Scheme.empty() ? u : b;
        if (u.empty())
            SplitUrl(b, parts);
        return;
    }
    TURLComponents baseParts;
    SplitUrl(b, baseParts);
    parts.Scheme = baseParts.Scheme;
    parts.IsFile = baseParts.IsFile;
    if (parts.Host.empty()) {
        parts.Host = baseParts.Host;
        if (!parts.AbsolutePath) {
            if (!parts.Path.empty()) {
                const std::size_t slash = baseParts.Path.rfind('/');
                const std::string folder = slash == std::string::npos ? "" : baseParts.Path.substr(0, slash + 1);
                parts.Path = RemoveDotSegments(folder + parts.Path, !parts.Host.empty());
            } else {
                parts.Path = baseParts.Path;
                if (parts.Params.empty())
                    parts.Params = baseParts.Params;
                if (parts.Query.empty())
                    parts.Query = baseParts.Query;
            }
        }
    }
    result.clear();
    if (!parts.Scheme.empty())
        result += parts.Scheme + ":";
    if (!parts.Host.empty())
        result += "//" + parts.Host;
    if (parts.Path == "/")
        result += "/";
    else if (!parts.Path.empty())
        result += "/" + parts.Path;
    if (!parts.Params.empty())
        result += ";" + parts.Params;
    if (!parts.Query.empty())
        result += "?" + parts.Query;
    if (!parts.Fragment.empty())
        result += "#" + parts.Fragment;
}

bool HasUrlScheme(std::string_view text) {
    if (StartsWithNoCase(text, "www"))
        return true;
    for (const char* scheme : kSchemes)
        if (StartsWithNoCase(text, std::string(scheme) + ":"))
            return true;
    return false;
}

bool HasDomainDot(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '.')
            continue;
        if (i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])))
            return true;
        if (i + 2 < text.size() && IsLetter(text[i + 1]) && IsLetter(text[i + 2]))
            return true;
    }
    return false;
}

TStringList& DomainEndings() {
    static TStringList* list = [] {
        auto* l = new TStringList;
        for (const char* ending : {"au", "com", "de", "edu", "fr", "gov", "net", "nz", "org", "tv", "uk"})
            l->Add(ending);
        l->SetSorted(true);
        return l;
    }();
    return *list;
}

bool EndsWithKnownDomain(std::string_view text) {
    const std::size_t separator = text.find_last_of("\\:");
    if (separator != std::string_view::npos)
        text = text.substr(separator + 1);
    const std::size_t dot = text.rfind('.');
    if (dot == std::string_view::npos || dot + 1 >= text.size())
        return false;
    const std::string ending(text.substr(dot + 1));
    if (IsCapitalizedWord(ending))
        return false;
    std::int32_t index = 0;
    return DomainEndings().Find(ending, index);
}

bool LooksLikeUrl(std::string_view text) {
    return !text.empty() && HasDomainDot(text) &&
           (HasUrlScheme(text) || text.find('@') != std::string_view::npos || EndsWithKnownDomain(text));
}

std::string AddHttpPrefix(std::string_view text) {
    return HasUrlScheme(text) ? std::string(text) : "http://" + std::string(text);
}

bool THyperlinkHost::Launch(const std::string& target) {
    return Platform::OpenWithDesktop(target);
}

int THyperlinkHost::PictureFileKind(const std::string& path) const {
    const std::string ext = Extension(path);
    static const char* const kinds[] = {"bmp", "wmf", "emf", "jpg", "png", "gif"};
    for (int i = 0; i < 6; ++i)
        if (ext == kinds[i] || (i == 3 && ext == "jpeg"))
            return i;
    return 255;
}

void SetHyperlinkHost(THyperlinkHost* host) {
    g_host = host;
}

void OpenHyperlink(std::string_view target) {
    const std::string link = Trimmed(target);
    THyperlinkHost& host = Host();
    if (LooksLikeUrl(link)) {
        if (link.find('@') == std::string::npos || link.find("//") != std::string::npos) {
            const std::string address = AddHttpPrefix(link);
            // The desktop's opener takes "www." addresses for file names; the
            // scheme is what the browser would assume.
            const std::string launched = StartsWithNoCase(address, "www") ? "http://" + address : address;
            if (!host.Launch(launched)) {
                host.CopyToClipboard(address);
                ShowErrorFmt(
                    "Error launching Web browser.\rYou might wish to visit this URL manually:\r\r%s\r\r"
                    "Rezozuri has placed this URL onto the clipboard.",
                    address);
            }
        } else {
            const std::string address = StartsWithNoCase(link, "MAILTO:") ? link.substr(7) : link;
            if (!host.Launch("mailto:" + address))
                ShowError("Error launching mail client.");
        }
        return;
    }
    if (host.BringOpenDocumentToFront(link))
        return;
    const std::string ext = Extension(link);
    const bool picture = host.PictureFileKind(link) != 255;
    if (host.OpenLinkedDocumentsInProgram() &&
        (picture || InList(ext, {"rtf", "doc", "docx", "odt", "cod", "wri", "txt"}))) {
        host.OpenInProgram(link);
        return;
    }
    // Pictures and media files open at once. Anything else, web pages and
    // scripts included (they can run code), is opened only when the user
    // agrees.
    const bool harmless = picture || InList(ext, {"wav", "midi", "wmv", "avi", "mp3", "mpg", "mpeg"});
    if (!harmless) {
        MessageBoxParams.DefaultButton = mbiNo;
        const std::string question = FormatOneString(
            "Opening %s\r\rSome files can contain viruses or otherwise be harmful to your computer.\r"
            "It is important to be certain that this file is from a trustworthy source.\r\r"
            "Would you like to open this file?",
            link);
        if (ShowOptionalMessage(question, mbkConfirm, 15) != mrYes)
            return;
    }
    if (!host.Launch(link))
        ShowErrorFmt("Unable to open \"%s\".\rHyperlink might be associated with an obsolete file.", link);
}

std::string ReadInternetShortcutUrl(const std::string& fileName, const std::string* text) {
    std::string content;
    if (text) {
        content = *text;
    } else {
        std::ifstream in(fileName, std::ios::binary);
        if (!in)
            return {};
        std::ostringstream buffer;
        buffer << in.rdbuf();
        content = buffer.str();
    }
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, 4, "URL=") == 0)
            return line.substr(4);
        start = end + 1;
    }
    return {};
}
