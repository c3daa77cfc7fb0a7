#include "base/files/PathNames.h"

#include <vector>

#include "base/files/ShellServices.h"
#include "base/graphics/TCanvas.h"
#include "base/text/CompareLocale.h"
#include "base/text/TStrings.h"

bool SameTextNoCase(std::string_view a, std::string_view b) {
    return CompareTextPCharLocale(std::string(a).c_str(), std::string(b).c_str()) == 0;
}

std::string RemoveFileExt(const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    const std::size_t slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name;
    return name.substr(0, dot);
}

std::string RemoveInvalidFileNameChars(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (std::string_view("\"*/:<>?\\|").find(c) == std::string_view::npos)
            out.push_back(c);
    return out;
}

std::string ExpandToLongPath(const std::string& path) {
    return path;
}

void AddTrailingBackslash(std::string& path) {
    if (!path.empty() && path.back() != '/')
        path += '/';
}

void SplitFolderPath(std::string_view path, TStrings& list) {
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            list.Add(std::string(path.substr(start, end - start)));
        start = end + 1;
    }
}

std::string EscapeMenuCaption(std::string_view s) {
    if (s == "-")
        return "- ";
    std::string out;
    out.reserve(s.size() + 4);
    for (char c : s) {
        out.push_back(c);
        if (c == '&')
            out.push_back('&');
    }
    return out;
}

std::string FitPathToWidth(const std::string& path,
                           const std::function<int(std::string_view)>& textWidth,
                           int maxWidth) {
    std::string text = path;
    const bool folder = !path.empty() && (path.back() == '/' || path.back() == ':');
    if (!ShellServices().ShowFullPaths && !folder) {
        const std::size_t slash = path.find_last_of('/');
        if (slash != std::string::npos)
            text = path.substr(slash + 1);
    }
    if (textWidth(text) <= maxWidth)
        return text;

    // The prefix: everything up to the first run of separators ("/" for an
    // absolute path).
    std::string prefix;
    std::size_t restStart = 0;
    const std::size_t firstSlash = text.find('/');
    if (firstSlash != std::string::npos) {
        restStart = text.find_first_not_of('/', firstSlash);
        if (restStart == std::string::npos)
            restStart = text.size();
        prefix = text.substr(0, restStart);
    }
    maxWidth -= textWidth(prefix);
    std::vector<std::string> parts;
    {
        std::size_t start = restStart;
        for (;;) {
            const std::size_t slash = text.find('/', start);
            parts.push_back(text.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
    }
    auto joined = [&] {
        std::string s;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i > 0)
                s.push_back('/');
            s += parts[i];
        }
        return s;
    };
    // Leading folders give way, the second first, then the first.
    const int ellipsisSlash = textWidth(".../");
    std::size_t lastRemoved = std::string::npos;
    while (parts.size() > 1 &&
           textWidth(prefix + joined()) + (lastRemoved != std::string::npos ? ellipsisSlash : 0) > maxWidth) {
        lastRemoved = parts.size() == 2 ? 0 : 1;
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(lastRemoved));
    }
    if (lastRemoved != std::string::npos)
        parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(lastRemoved), "...");
    // Then the middle of the file name, down to 10 characters.
    std::string& name = parts.back();
    const int ellipsis = textWidth("...");
    bool shortened = false;
    while (name.size() > 10 && textWidth(prefix + joined()) + (shortened ? ellipsis : 0) > maxWidth) {
        name.erase(name.size() / 2 - 1, 1);
        shortened = true;
    }
    if (shortened)
        name.insert(name.size() / 2 + name.size() % 2 - 1, "...");
    return prefix + joined();
}

std::string FitPathToWidth(const std::string& path, TCanvas& canvas, int maxWidth) {
    return FitPathToWidth(
        path, [&canvas](std::string_view s) { return canvas.TextWidth(s); }, maxWidth);
}
