#include "base/files/FileOperations.h"

#include <cmath>
#include <cstdio>

#include "base/core/Errors.h"
#include "base/core/TMemory.h"
#include "base/files/FolderOperations.h"
#include "base/messages/MessageBoxes.h"
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
