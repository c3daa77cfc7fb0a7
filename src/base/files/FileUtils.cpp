#include "base/files/FileUtils.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "base/core/DateTimeText.h"
#include "base/core/Errors.h"
#include "base/core/TMemory.h"
#include "base/files/Folders.h"
#include "base/files/ShellServices.h"
#include "base/graphics/TCanvas.h"
#include "base/messages/MessageBoxes.h"
#include "base/text/CompareLocale.h"
#include "base/text/NumberFormats.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace {

// Whole units rounded as the "%n" format rounds, grouped by spaces, with the
// given number of decimals after the user's separator.
std::string FormatGrouped(double value, int decimals) {
    if (decimals == 0)
        return FormatThousandsSpaced(value);
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    const double whole = std::trunc(rounded);
    std::string out = FormatThousandsSpaced(whole);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*lld", decimals,
                  static_cast<long long>(std::llround(std::fabs(rounded - whole) * scale)));
    out.push_back(Platform::UserDecimalSeparator());
    out += digits;
    return out;
}

TDateTime FileDate(const std::string& name, bool creation) {
    Platform::TFileInfo info;
    if (!Platform::GetFileInfo(name, info))
        return Now();
    const TDateTime dt = UnixTimeToLocalDateTime(creation ? info.CreationTime : info.WriteTime);
    // The two-second steps of the file-date format the callers compare in.
    int h, m, s, ms;
    DecodeTime(dt, h, m, s, ms);
    TDateTime time = 0;
    TryEncodeTime(h, m, s - s % 2, 0, time);
    return std::trunc(dt) + (dt < 0 ? -time : time);
}

}  // namespace

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

std::int64_t GetFileSizeByName(const std::string& name) {
    Platform::TFileInfo info;
    if (!Platform::GetFileInfo(name, info) || (info.Attr & Platform::faDirectory))
        return -1;
    return info.Size;
}

bool FilesIdentical(const std::string& a, const std::string& b) {
    TMemory first, second;
    first.LoadFromFile(a);
    second.LoadFromFile(b);
    return first.Size == second.Size && first.View() == second.View();
}

std::int64_t AllocatedFileSize(const std::string& name) {
    const std::int64_t size = GetFileSizeByName(name);
    const std::int64_t unit = ClusterSize(name);
    if (size <= 0 || unit <= 0)
        return size < 0 ? 0 : size;
    return (size + unit - 1) / unit * unit;
}

std::string FormatFileSize(std::int64_t size) {
    if (size < 65535)
        return FormatGrouped(static_cast<double>(size), 0) + " bytes";
    if (size >= 16777215)
        return FormatGrouped(static_cast<double>(size) / 1048576.0, 2) + " MB";
    if (size % 1048576 == 0)
        return FormatGrouped(static_cast<double>(size / 1048576), 0) + " MB";
    return FormatGrouped(static_cast<double>(size) / 1024.0, 0) + " KB";
}

std::string FileSizeText(const std::string& name) {
    return FormatFileSize(GetFileSizeByName(name));
}

std::string FolderSizeText(const std::string& path) {
    return FormatFileSize(FolderSizeOnDisk(path));
}

TDateTime FileCreationDate(const std::string& name) {
    return FileDate(name, true);
}

TDateTime FileLastWriteDate(const std::string& name) {
    return FileDate(name, false);
}

std::int64_t DateTimeToSeconds(TDateTime x) {
    constexpr std::int64_t kDaysBeforeDelphiEpoch = 693594;  // 1 January of year 1 to 30 December 1899
    int h, m, s, ms;
    DecodeTime(x, h, m, s, ms);
    return (static_cast<std::int64_t>(std::trunc(x)) + kDaysBeforeDelphiEpoch) * 86400 + h * 3600 + m * 60 + s;
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

void SaveTextToFile(const std::string& fileName, std::string_view text) {
    std::string error;
    if (!Platform::ReplaceFileAtomically(fileName, text.data(), static_cast<std::int64_t>(text.size()), error)) {
        ShowErrorFmt("Error writing file \"%s\".", fileName);
        Abort();
    }
}

bool RewindFile(int handle) {
    return Platform::SeekFile(handle, 0, Platform::kSeekFromStart) == 0;
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

std::string NewGuidString() {
    unsigned char b[16];
    if (!Platform::RandomBytes(b, sizeof b))
        return DateTimeToIsoText(Now());
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4: random
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // the standard variant
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out.push_back('-');
        out.push_back(hex[b[i] >> 4]);
        out.push_back(hex[b[i] & 15]);
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
