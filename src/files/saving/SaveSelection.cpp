#include "files/saving/SaveSelection.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "base/core/Errors.h"
#include "base/core/TReplacingFileStream.h"
#include "files/saving/SaveDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "platform/Files.h"

const char* const PictureFileExtensions[6] = {"bmp", "emf", "wmf", "jpg", "gif", "png"};

namespace {

// Replaces the first "%s" by a and the second by b.
std::string FillTemplate(const std::string& pattern, const std::string& a, const std::string& b) {
    std::string out;
    int filled = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && filled < 2) {
            out += filled++ == 0 ? a : b;
            ++i;
            continue;
        }
        out.push_back(pattern[i]);
    }
    return out;
}

std::string PaddedNumber(std::int64_t n, std::int32_t digits) {
    std::string s = std::to_string(n);
    if (static_cast<std::int32_t>(s.size()) < digits)
        s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
    return s;
}

void Advance(TPictureNaming& naming) {
    naming.Index = naming.Index >= std::numeric_limits<std::int32_t>::max() ? 1 : naming.Index + 1;
}

}  // namespace

namespace {
TSelectionDocumentBuilder SelectionDocumentBuilder = nullptr;
}  // namespace

TSelectionDocumentBuilder SetSelectionDocumentBuilder(TSelectionDocumentBuilder builder) {
    const TSelectionDocumentBuilder previous = SelectionDocumentBuilder;
    SelectionDocumentBuilder = builder;
    return previous;
}

bool SaveSelectionToFile(TDoc& doc, const std::string& path, std::int32_t format) {
    if (doc.Selection == nullptr || doc.Selection->Count() < 1 || doc.SelectedShapes.Count > 0)
        return false;
    if (doc.Selection->Count() > 1) {
        // Several ranges: the document built from them is written whole.
        if (SelectionDocumentBuilder == nullptr)
            return false;
        std::unique_ptr<TDoc> built = SelectionDocumentBuilder(doc);
        if (built == nullptr)
            return false;
        TDocSavingOptions options;
        options.Target = stOwnFile;
        options.Format = format;
        options.Flags = svCopy;
        options.Encoding = doc.TextEncoding;
        options.LineBreak = doc.LineBreakKind;
        options.OrigName = doc.FileName;
        built->FileName = path;
        return SaveToFormat(*built, options) == srSaved;
    }
    TDocSavingOptions options;
    options.Target = stOwnFile;
    options.Format = format;
    options.Flags = svCopy;
    options.Encoding = doc.TextEncoding;
    options.LineBreak = doc.LineBreakKind;
    options.OrigName = doc.FileName;
    options.WholeDocument = false;
    options.Range = doc.Selection->Fragment(0);
    const std::string ownName = doc.FileName;
    doc.FileName = path;
    doc.PushStateFlag(sfCopyingSelection);
    const int result = SaveToFormat(doc, options);
    doc.PopStateFlag();
    doc.FileName = ownName;
    return result == srSaved;
}

int SaveSelectionAs(TDoc& doc, std::string name, std::int32_t format) {
    if (doc.Selection == nullptr)
        return srCancelled;
    if (name.empty() && !RunSaveDialog(doc, "Save Selection As", name, format))
        return srCancelled;
    const TFragment range = doc.Selection->Fragment(0);
    if (ConfirmFormattingLoss(doc, &range, format))
        return srCancelled;
    return SaveSelectionToFile(doc, name, format) ? srSaved : srFailed;
}

std::string NextPictureName(const std::string& folder,
                            const TPictureNaming& naming,
                            std::int32_t kind,
                            bool skipExisting) {
    TPictureNaming n = naming;
    const char* ext = kind >= 0 && kind < 6 ? PictureFileExtensions[kind] : "png";
    for (;;) {
        std::string name = folder + FillTemplate(n.Template, PaddedNumber(n.Index, n.Digits), ext);
        if (!skipExisting || !Platform::FileExists(name))
            return name;
        Advance(n);
        if (n.Index == naming.Index)
            return name;
    }
}

void LearnPictureName(const std::string& chosen, bool withDialog, bool onePicture, TPictureNaming& naming) {
    const std::filesystem::path path(chosen);
    const std::string stem = path.stem().string();
    std::size_t digitsAt = stem.size();
    while (digitsAt > 0 && std::isdigit(static_cast<unsigned char>(stem[digitsAt - 1])) != 0)
        --digitsAt;
    if (digitsAt < stem.size() && stem.size() - digitsAt <= 18) {
        naming.Template = stem.substr(0, digitsAt) + "%s.%s";
        naming.Index = std::stoll(stem.substr(digitsAt));
        naming.Digits = static_cast<std::int32_t>(stem.size() - digitsAt);
    } else if (withDialog && onePicture) {
        naming.Template = "Picture%s.%s";
    } else {
        naming.Template = (stem.empty() ? std::string("Picture") : stem) + "%s.%s";
        if (withDialog)
            naming.Index = 1;
    }
    Advance(naming);
}

bool WritePictureFile(const TShapePicture& picture, const std::string& path, std::int32_t kind) {
    const bool stored = (kind == pfPng && picture.Kind == pkPng) || (kind == pfJpeg && picture.Kind == pkJpeg) ||
                        (kind == pfEmf && picture.Kind == pkEmf);
    if (!stored || picture.Data.empty())
        return false;
    // The file is replaced only by a complete new one.
    try {
        TReplacingFileStream file(path);
        if (file.Write(picture.Data.data(), static_cast<std::int32_t>(picture.Data.size())) !=
            static_cast<std::int32_t>(picture.Data.size()))
            return false;
        file.Commit();
    } catch (const EAbort&) {
        return false;
    }
    return true;
}

std::int32_t SavePictures(TDoc& doc, const std::string& firstName, std::int32_t kind, TPictureNaming& naming) {
    std::int32_t written = 0;
    std::string name = firstName;
    const std::string folder = std::filesystem::path(firstName).parent_path().string();
    bool first = true;
    for (std::int32_t i = 0; i < doc.Shapes.Count; ++i) {
        const TShapePicture& picture = doc.Shapes.At<TShape>(i)->Picture;
        if (picture.Kind == pkNone)
            continue;
        if (!first)
            name = NextPictureName(folder.empty() ? std::string() : folder + "/", naming, kind, true);
        LearnPictureName(name, first, false, naming);
        first = false;
        if (!WritePictureFile(picture, name, kind))
            break;
        ++written;
    }
    return written;
}

std::string FirstFreeNumberedName(const std::string& format) {
    for (int n = 1;; ++n) {
        char buffer[4096];
        std::snprintf(buffer, sizeof buffer, format.c_str(), n);
        if (!Platform::FileExists(buffer) || n == std::numeric_limits<int>::max())
            return buffer;
    }
}
