#include "platform/Clipboard.h"

#include <QtCore/QBuffer>
#include <QtCore/QByteArray>
#include <QtCore/QMimeData>
#include <QtCore/QUrl>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/Bitmaps.h"
#include "platform/CodePages.h"
#include "platform/MessageQueue.h"
#include "platform/Metafiles.h"
#include "platform/qt/Desktop.h"
#include "platform/qt/MimeFormats.h"

namespace Platform {
namespace {

// CF_TEXT is in the ANSI code page and CF_OEMTEXT in the OEM one; we know no
// locale of a Windows installation, so the western pair stands for both.
constexpr int kAnsiCodePage = 1252;
constexpr int kOemCodePage = 437;

constexpr const char* kTextMime = "text/plain;charset=utf-8";
constexpr const char* kPlainMime = "text/plain";
constexpr const char* kPngMime = "image/png";
constexpr const char* kEmfMime = "image/emf";
constexpr const char* kPrivatePrefix = "application/x-rezozuri-format.";

// Names that other programs on the desktop know under a MIME type of their
// own; every other registered name travels under our private prefix.
struct TKnownName {
    const char16_t* Name;
    const char* Mime;
};
constexpr TKnownName kKnownNames[] = {
    {u"Rich Text Format", "text/rtf"},
    {u"HTML Format", "text/html"},
    {u"PNG", kPngMime},
};

std::u16string Folded(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

// The registered names, numbered from kFirstRegisteredClipboardFormat in
// the order of registration.
struct TRegistry {
    std::mutex Lock;
    std::vector<std::u16string> Names;
};
TRegistry& Registry() {
    static TRegistry r;
    return r;
}

struct TState {
    bool Open = false;
    HWND Opener = nullptr;
    HWND Owner = nullptr;
    // What is set while the clipboard is open; published on closing.
    std::unique_ptr<QMimeData> Pending;
};
TState g_state;

bool OnMainThread() {
    return IsMainThread() && Desktop::Ensure();
}

QClipboard* DesktopClipboard() {
    return OnMainThread() ? QGuiApplication::clipboard() : nullptr;
}

// What readers see: the data being set while the opener fills it, else the
// desktop's.
const QMimeData* Current() {
    if (g_state.Pending)
        return g_state.Pending.get();
    QClipboard* c = DesktopClipboard();
    return c == nullptr ? nullptr : c->mimeData();
}

QMimeData& Pending() {
    if (!g_state.Pending) {
        // Setting without emptying adds to what is there.
        g_state.Pending = std::make_unique<QMimeData>();
        if (QClipboard* c = DesktopClipboard())
            if (const QMimeData* now = c->mimeData())
                for (const QString& f : now->formats())
                    g_state.Pending->setData(f, now->data(f));
    }
    return *g_state.Pending;
}

QByteArray Bytes(std::span<const std::uint8_t> data) {
    return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}
std::vector<std::uint8_t> Vector(const QByteArray& a) {
    return std::vector<std::uint8_t>(a.begin(), a.end());
}

// Text formats hold text up to the first null character.
std::u16string WideTextOf(std::span<const std::uint8_t> data) {
    TByteReader r(data);
    std::u16string text;
    while (r.Has(2)) {
        const char16_t c = r.U16LE();
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}
std::string_view NarrowTextOf(std::span<const std::uint8_t> data) {
    const auto* begin = reinterpret_cast<const char*>(data.data());
    const auto* end = std::find(begin, begin + data.size(), '\0');
    return {begin, static_cast<std::size_t>(end - begin)};
}

void SetText(QMimeData& mime, std::u16string_view text) {
    const QString s = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    mime.setText(s);
    mime.setData(kTextMime, s.toUtf8());
}

std::optional<std::u16string> TextOf(const QMimeData& mime) {
    if (mime.hasFormat(kTextMime))
        return Utf8ToUtf16(mime.data(kTextMime).toStdString());
    // Qt counts a URL list as text too; the clipboard of a file copy has
    // no text here, as on Windows.
    if (mime.hasFormat(kPlainMime)) {
        const QString s = mime.text();
        return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
    }
    return std::nullopt;
}

// A DIB is a bitmap file without its 14-byte file header; with the header
// put back, Qt's BMP reader reads it.
std::optional<QImage> ImageFromDib(std::span<const std::uint8_t> dib) {
    TByteReader r(dib);
    const std::uint32_t headerSize = r.U32LE();
    r.Skip(10);
    const std::uint16_t bitCount = r.U16LE();
    const std::uint32_t compression = r.U32LE();
    r.Skip(12);
    const std::uint32_t used = r.U32LE();
    if (r.Failed() || headerSize < 40 || headerSize > dib.size() || used > 256)
        return std::nullopt;
    const std::uint32_t colours = used != 0 ? used : (bitCount <= 8 ? 1U << bitCount : 0);
    // BI_BITFIELDS with the plain header keeps its three masks after it.
    const std::uint32_t masks = compression == 3 && headerSize == 40 ? 12 : 0;
    const std::uint64_t bitsOffset = 14ULL + headerSize + masks + 4ULL * colours;
    QByteArray file(14, '\0');
    auto* h = reinterpret_cast<std::uint8_t*>(file.data());
    h[0] = 'B';
    h[1] = 'M';
    StoreU32LE(h + 2, static_cast<std::uint32_t>(14 + dib.size()));
    StoreU32LE(h + 10, static_cast<std::uint32_t>(bitsOffset));
    file.append(Bytes(dib));
    QImage image;
    if (!image.loadFromData(file, "BMP") || image.isNull())
        return std::nullopt;
    return image;
}

std::vector<std::uint8_t> DibFromImage(const QImage& image) {
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP") || file.size() <= 14)
        return {};
    return std::vector<std::uint8_t>(file.begin() + 14, file.end());
}

QByteArray PngOf(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // Light compression: a copied picture is pasted at once and the
    // default level costs several times the time for a little less size.
    image.save(&buffer, "PNG", 90);
    return png;
}

std::optional<QImage> ImageOf(const QMimeData& mime) {
    if (mime.hasFormat(kPngMime)) {
        QImage image;
        if (image.loadFromData(mime.data(kPngMime), "PNG"))
            return image;
    }
    if (mime.hasImage()) {
        QImage image = qvariant_cast<QImage>(mime.imageData());
        if (!image.isNull())
            return image;
    }
    for (const char* other : {"image/bmp", "image/jpeg"}) {
        QImage image;
        if (mime.hasFormat(other) && image.loadFromData(mime.data(other)))
            return image;
    }
    return std::nullopt;
}

std::optional<std::u16string> RegisteredName(std::uint32_t format) {
    TRegistry& reg = Registry();
    std::lock_guard lock(reg.Lock);
    if (format < kFirstRegisteredClipboardFormat || format - kFirstRegisteredClipboardFormat >= reg.Names.size())
        return std::nullopt;
    return reg.Names[format - kFirstRegisteredClipboardFormat];
}

bool IsHtml(std::uint32_t format) {
    const auto name = RegisteredName(format);
    return name && Folded(*name) == u"html format";
}

}  // namespace

std::vector<std::uint32_t> MimeFormats(const QMimeData* mime) {
    std::vector<std::uint32_t> out;
    if (mime == nullptr)
        return out;
    auto add = [&out](std::uint32_t f) {
        if (f != 0 && std::find(out.begin(), out.end(), f) == out.end())
            out.push_back(f);
    };
    for (const QString& type : mime->formats()) {
        const std::string t = type.toStdString();
        if (t == kTextMime || t == kPlainMime || t.starts_with("text/plain;")) {
            add(CF_UNICODETEXT);
            add(CF_TEXT);
            add(CF_OEMTEXT);
        } else if (t == kPngMime || t == "application/x-qt-image" || t == "image/bmp" || t == "image/jpeg") {
            add(CF_DIB);
            add(CF_BITMAP);
            if (t == kPngMime)
                add(RegisterClipboardFormat(u"PNG"));
        } else if (t == kEmfMime) {
            add(CF_ENHMETAFILE);
        } else if (t == "text/uri-list") {
            add(CF_HDROP);
        } else if (t.starts_with(kPrivatePrefix)) {
            const QByteArray name =
                QByteArray::fromPercentEncoding(QByteArray::fromStdString(t.substr(std::strlen(kPrivatePrefix))));
            add(RegisterClipboardFormat(Utf8ToUtf16(name.toStdString())));
        } else {
            for (const TKnownName& k : kKnownNames)
                if (t == k.Mime)
                    add(RegisterClipboardFormat(k.Name));
        }
    }
    return out;
}

namespace {

bool OpenByUs() {
    return g_state.Open && IsMainThread();
}

}  // namespace

std::uint32_t RegisterClipboardFormat(std::u16string_view name) {
    if (name.empty())
        return 0;
    const std::u16string folded = Folded(name);
    TRegistry& reg = Registry();
    std::lock_guard lock(reg.Lock);
    for (std::size_t i = 0; i < reg.Names.size(); ++i)
        if (Folded(reg.Names[i]) == folded)
            return static_cast<std::uint32_t>(kFirstRegisteredClipboardFormat + i);
    if (kFirstRegisteredClipboardFormat + reg.Names.size() > 0xFFFF)
        return 0;
    reg.Names.emplace_back(name);
    return static_cast<std::uint32_t>(kFirstRegisteredClipboardFormat + reg.Names.size() - 1);
}

std::u16string GetClipboardFormatName(std::uint32_t format) {
    return RegisteredName(format).value_or(std::u16string());
}

std::string ClipboardMimeTypeOf(std::uint32_t format) {
    switch (format) {
        case CF_TEXT:
        case CF_OEMTEXT:
        case CF_UNICODETEXT:
            return kTextMime;
        case CF_DIB:
        case CF_BITMAP:
            return kPngMime;
        case CF_ENHMETAFILE:
            return kEmfMime;
        case CF_HDROP:
            return "text/uri-list";
        default:
            break;
    }
    const auto name = RegisteredName(format);
    if (!name)
        return {};
    const std::u16string folded = Folded(*name);
    for (const TKnownName& k : kKnownNames)
        if (Folded(k.Name) == folded)
            return k.Mime;
    return kPrivatePrefix + QByteArray::fromStdString(Utf16ToUtf8(*name)).toPercentEncoding().toStdString();
}

bool OpenClipboard(HWND owner) {
    if (!OnMainThread() || g_state.Open)
        return false;
    g_state.Open = true;
    g_state.Opener = owner;
    return true;
}

bool CloseClipboard() {
    if (!OpenByUs())
        return false;
    g_state.Open = false;
    g_state.Opener = nullptr;
    if (g_state.Pending) {
        // The desktop's clipboard takes ownership of the data.
        if (QClipboard* c = DesktopClipboard())
            c->setMimeData(g_state.Pending.release());
        g_state.Pending.reset();
    }
    return true;
}

bool EmptyClipboard() {
    if (!OpenByUs())
        return false;
    g_state.Pending = std::make_unique<QMimeData>();
    g_state.Owner = g_state.Opener;
    return true;
}

HWND GetOpenClipboardWindow() {
    return g_state.Open ? g_state.Opener : nullptr;
}

HWND GetClipboardOwner() {
    return g_state.Owner;
}

std::uint32_t GetClipboardSequenceNumber() {
    // Counted from the desktop's change signal, which fires for our own
    // changes and for other programs' alike.
    static std::uint32_t sequence = 1;
    static bool connected = false;
    if (!connected) {
        if (QClipboard* c = DesktopClipboard()) {
            QObject::connect(c, &QClipboard::dataChanged, [] { ++sequence; });
            connected = true;
        }
    }
    return sequence;
}

bool WriteMimeFormat(QMimeData& target, std::uint32_t format, std::span<const std::uint8_t> data) {
    switch (format) {
        case CF_UNICODETEXT:
            SetText(target, WideTextOf(data));
            return true;
        case CF_TEXT:
        case CF_OEMTEXT:
            SetText(target, BytesToWide(format == CF_TEXT ? kAnsiCodePage : kOemCodePage, NarrowTextOf(data)));
            return true;
        case CF_DIB: {
            const auto image = ImageFromDib(data);
            if (!image)
                return false;
            target.setData(kPngMime, PngOf(*image));
            return true;
        }
        case CF_ENHMETAFILE: {
            // Only a metafile we can read goes out, so that nobody pastes
            // bytes that no reader accepts.
            const HENHMETAFILE check = SetEnhMetaFileBits(data.data(), data.size());
            if (check == nullptr)
                return false;
            DeleteEnhMetaFile(check);
            target.setData(kEmfMime, Bytes(data));
            return true;
        }
        case CF_HDROP: {
            std::vector<std::u16string> paths;
            if (!DecodeDropFiles(data, paths))
                return false;
            QList<QUrl> urls;
            for (const std::u16string& p : paths)
                urls.push_back(QUrl::fromLocalFile(QString::fromUtf16(p.data(), static_cast<qsizetype>(p.size()))));
            target.setUrls(urls);
            return true;
        }
        default:
            break;
    }
    if (format < kFirstRegisteredClipboardFormat)
        return false;
    const std::string mime = ClipboardMimeTypeOf(format);
    if (mime.empty())
        return false;
    if (IsHtml(format)) {
        std::string html;
        if (!DecodeClipboardHtml(NarrowTextOf(data), html))
            return false;
        target.setHtml(QString::fromStdString(html));
        return true;
    }
    if (mime == kPngMime) {
        QImage image;
        if (!image.loadFromData(Bytes(data), "PNG"))
            return false;
    }
    target.setData(QString::fromStdString(mime), Bytes(data));
    return true;
}

bool SetClipboardData(std::uint32_t format, std::span<const std::uint8_t> data) {
    if (!OpenByUs())
        return false;
    // A refused format leaves the data being set as it was.
    QMimeData trial;
    if (!WriteMimeFormat(trial, format, data))
        return false;
    QMimeData& pending = Pending();
    for (const QString& f : trial.formats())
        pending.setData(f, trial.data(f));
    return true;
}

std::optional<std::vector<std::uint8_t>> ReadMimeFormat(const QMimeData& data, std::uint32_t format) {
    const QMimeData* mime = &data;
    switch (format) {
        case CF_UNICODETEXT: {
            const auto text = TextOf(*mime);
            if (!text)
                return std::nullopt;
            std::vector<std::uint8_t> out((text->size() + 1) * 2, 0);
            for (std::size_t i = 0; i < text->size(); ++i)
                StoreU16LE(out.data() + 2 * i, static_cast<std::uint16_t>((*text)[i]));
            return out;
        }
        case CF_TEXT:
        case CF_OEMTEXT: {
            const auto text = TextOf(*mime);
            if (!text)
                return std::nullopt;
            const std::string bytes = WideToBytes(format == CF_TEXT ? kAnsiCodePage : kOemCodePage, *text);
            std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
            out.push_back(0);
            return out;
        }
        case CF_DIB: {
            const auto image = ImageOf(*mime);
            if (!image)
                return std::nullopt;
            auto dib = DibFromImage(*image);
            if (dib.empty())
                return std::nullopt;
            return dib;
        }
        case CF_ENHMETAFILE:
            if (!mime->hasFormat(kEmfMime))
                return std::nullopt;
            return Vector(mime->data(kEmfMime));
        case CF_HDROP: {
            if (!mime->hasUrls())
                return std::nullopt;
            std::vector<std::u16string> paths;
            for (const QUrl& url : mime->urls()) {
                if (!url.isLocalFile())
                    continue;
                const QString p = url.toLocalFile();
                paths.emplace_back(reinterpret_cast<const char16_t*>(p.utf16()), static_cast<std::size_t>(p.size()));
            }
            if (paths.empty())
                return std::nullopt;
            return EncodeDropFiles(paths);
        }
        default:
            break;
    }
    if (format < kFirstRegisteredClipboardFormat)
        return std::nullopt;
    const std::string type = ClipboardMimeTypeOf(format);
    if (type.empty() || !mime->hasFormat(QString::fromStdString(type)))
        return std::nullopt;
    const QByteArray bytes = mime->data(QString::fromStdString(type));
    if (IsHtml(format)) {
        const std::string data = EncodeClipboardHtml(bytes.toStdString());
        std::vector<std::uint8_t> out(data.begin(), data.end());
        out.push_back(0);
        return out;
    }
    return Vector(bytes);
}

std::optional<std::vector<std::uint8_t>> GetClipboardData(std::uint32_t format) {
    if (!OpenByUs())
        return std::nullopt;
    const QMimeData* mime = Current();
    if (mime == nullptr)
        return std::nullopt;
    return ReadMimeFormat(*mime, format);
}

bool SetClipboardBitmap(HBITMAP bitmap) {
    TBitmapInfo info;
    if (!OpenByUs() || !GetBitmapInfo(bitmap, info) || info.BitsPerPixel != 32 || info.Width <= 0 || info.Height <= 0)
        return false;
    GdiFlush();
    // Our bitmaps keep 0x00RRGGBB rows top to bottom, which is Qt's RGB32.
    const QImage image(reinterpret_cast<const uchar*>(info.Bits), info.Width, info.Height, info.Width * 4,
                       QImage::Format_RGB32);
    Pending().setData(kPngMime, PngOf(image));
    return true;
}

HBITMAP GetClipboardBitmap() {
    if (!OpenByUs())
        return nullptr;
    const QMimeData* mime = Current();
    const auto image = mime == nullptr ? std::nullopt : ImageOf(*mime);
    if (!image)
        return nullptr;
    const QImage rgb = image->convertToFormat(QImage::Format_RGB32);
    HBITMAP bitmap = CreateBitmap32(rgb.width(), rgb.height());
    TBitmapInfo info;
    if (bitmap == nullptr || !GetBitmapInfo(bitmap, info)) {
        if (bitmap != nullptr)
            DeleteBitmap(bitmap);
        return nullptr;
    }
    GdiFlush();
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            info.Bits[static_cast<std::size_t>(y) * info.Width + x] = row[x] & 0x00FFFFFF;
    }
    return bitmap;
}

bool IsClipboardFormatAvailable(std::uint32_t format) {
    const auto formats = MimeFormats(Current());
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

std::uint32_t EnumClipboardFormats(std::uint32_t format) {
    if (!OpenByUs())
        return 0;
    const auto formats = MimeFormats(Current());
    if (format == 0)
        return formats.empty() ? 0 : formats.front();
    auto it = std::find(formats.begin(), formats.end(), format);
    if (it == formats.end() || ++it == formats.end())
        return 0;
    return *it;
}

int CountClipboardFormats() {
    return static_cast<int>(MimeFormats(Current()).size());
}

// DROPFILES: the offset of the name list, the drop point, whether the point
// is in the non-client area, and whether the names are wide; the names
// follow, each ended by a null, the list by one more.
std::vector<std::uint8_t> EncodeDropFiles(const std::vector<std::u16string>& paths) {
    constexpr std::size_t kHeader = 20;
    std::size_t chars = 1;
    for (const std::u16string& p : paths)
        chars += p.size() + 1;
    std::vector<std::uint8_t> out(kHeader + 2 * chars, 0);
    StoreU32LE(out.data(), kHeader);
    StoreU32LE(out.data() + 16, 1);
    std::size_t at = kHeader;
    for (const std::u16string& p : paths) {
        for (char16_t c : p) {
            StoreU16LE(out.data() + at, static_cast<std::uint16_t>(c));
            at += 2;
        }
        at += 2;
    }
    return out;
}

TReadResult DecodeDropFiles(std::span<const std::uint8_t> data, std::vector<std::u16string>& paths) {
    paths.clear();
    TByteReader r(data);
    const std::uint32_t offset = r.U32LE();
    r.Skip(12);
    const bool wide = r.U32LE() != 0;
    if (r.Failed())
        return r.Error("DROPFILES header is short");
    if (offset < 20 || !r.Seek(offset))
        return TReadResult::Failure("file list offset is outside the data", 0);
    std::u16string name;
    while (true) {
        const std::size_t at = r.Offset();
        const std::uint16_t c = wide ? r.U16LE() : r.U8();
        if (r.Failed())
            return TReadResult::Failure("file list is not ended by an empty name", at);
        if (c != 0) {
            name.push_back(static_cast<char16_t>(c));
            continue;
        }
        if (name.empty())
            break;
        paths.push_back(wide ? name : BytesToWide(kAnsiCodePage, std::string(name.begin(), name.end())));
        name.clear();
    }
    return TReadResult::Success();
}

namespace {

constexpr std::string_view kStartMarker = "<!--StartFragment-->";
constexpr std::string_view kEndMarker = "<!--EndFragment-->";

// The value of one "Key:value" line of the description, -2 when the key is
// missing or its value is not a number.
long long HeaderValue(std::string_view header, std::string_view key) {
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = header.size();
        const std::string_view line = header.substr(at, end - at);
        if (line.starts_with(key) && line.size() > key.size() && line[key.size()] == ':') {
            const std::string_view value = line.substr(key.size() + 1);
            long long v = 0;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
            return ec == std::errc() ? v : -2;
        }
        at = end + 1;
    }
    return -2;
}

}  // namespace

std::string EncodeClipboardHtml(std::string_view html) {
    // Ten-digit offsets keep the header's length fixed, so it can be
    // written once the offsets are known.
    constexpr std::string_view kTemplate =
        "Version:0.9\r\nStartHTML:0000000000\r\nEndHTML:0000000000\r\n"
        "StartFragment:0000000000\r\nEndFragment:0000000000\r\n";
    const std::size_t base = kTemplate.size();
    std::size_t fragStart = 0;
    std::size_t fragEnd = html.size();
    const std::size_t s = html.find(kStartMarker);
    const std::size_t e = html.find(kEndMarker);
    if (s != std::string_view::npos && e != std::string_view::npos && e >= s + kStartMarker.size()) {
        fragStart = s + kStartMarker.size();
        fragEnd = e;
    }
    char header[160];
    std::snprintf(header, sizeof header,
                  "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\nEndFragment:%010zu\r\n",
                  base, base + html.size(), base + fragStart, base + fragEnd);
    return std::string(header) + std::string(html);
}

TReadResult DecodeClipboardHtml(std::string_view data, std::string& html) {
    html.clear();
    const long long startHtml = HeaderValue(data, "StartHTML");
    const long long endHtml = HeaderValue(data, "EndHTML");
    const long long startFragment = HeaderValue(data, "StartFragment");
    const long long endFragment = HeaderValue(data, "EndFragment");
    if (HeaderValue(data, "Version") == -2 && data.substr(0, 8) != "Version:")
        return TReadResult::Failure("no Version line", 0);
    long long from = startHtml;
    long long to = endHtml;
    if (from == -1 || to == -1) {
        from = startFragment;
        to = endFragment;
    }
    if (from < 0 || to < 0)
        return TReadResult::Failure("offsets of the HTML are missing", 0);
    const auto size = static_cast<long long>(data.size());
    if (from > to || to > size)
        return TReadResult::Failure("offsets of the HTML lie outside the data",
                                    static_cast<std::uint64_t>(std::min(from, size)));
    html.assign(data.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
    return TReadResult::Success();
}

}  // namespace Platform
