#include "editing/formatting/ListGallery.h"

#include <string_view>

#include "editing/formatting/FormattingSeams.h"
#include "model/document/TDoc.h"
#include "model/managers/TAutoList.h"
#include "platform/Resources.h"

namespace {

// Indent of each level of a gallery list: the label hangs by this much, and
// every level starts this much further in (twips).
constexpr std::int16_t LevelStep = 360;

// Bullet characters of the bulleted lists, level by level in turn.
constexpr char16_t Bullets[3] = {u'\u2022', u'o', u'\u25AA'};
// Number formats of the numbered lists, level by level in turn.
constexpr std::int32_t NumberFormats[3] = {lnArabic, lnLowerLetter, lnLowerRoman};

TAutoList* MakeGalleryList(bool bullets, bool outline) {
    auto* list = new TAutoList;
    list->SingleLevel = 0;
    for (int k = 0; k < 9; ++k) {
        TListLevel& level = list->Levels[k];
        level.StartValue = 1;
        level.ParFormat.LeftIndent = static_cast<std::int16_t>(LevelStep * (k + 1));
        level.ParFormat.FirstIndent = -LevelStep;
        if (bullets) {
            level.NumberFormat = lnBullet;
            level.LabelText = std::u16string(1, Bullets[k % 3]);
        } else {
            level.NumberFormat = NumberFormats[k % 3];
            // Characters 0 to 8 stand for the numbers of those levels.
            if (outline) {
                for (int j = 0; j <= k; ++j) {
                    level.LabelText += static_cast<char16_t>(j);
                    level.LabelText += u'.';
                }
            } else {
                level.LabelText = std::u16string(1, static_cast<char16_t>(k)) + u".";
            }
        }
    }
    return list;
}

std::unique_ptr<TDoc> BuiltGallery() {
    auto doc = std::make_unique<TDoc>(true);
    doc->Lists.Add(MakeGalleryList(true, false));
    doc->Lists.Add(MakeGalleryList(false, false));
    doc->Lists.Add(MakeGalleryList(false, true));
    return doc;
}

}  // namespace

std::unique_ptr<TDoc> OpenListGallery() {
    if (FormattingSeams().OpenRtfText != nullptr) {
        Platform::TResourceData data;
        if (Platform::FindResourceData("RCDATA", ListGalleryResource, data) && data.Size > 0) {
            std::unique_ptr<TDoc> doc = FormattingSeams().OpenRtfText(
                std::string_view(reinterpret_cast<const char*>(data.Data), static_cast<std::size_t>(data.Size)));
            if (doc != nullptr && doc->Lists.Count > 0)
                return doc;
        }
    }
    return BuiltGallery();
}

std::unique_ptr<TAutoList> ListGalleryList(bool bullets) {
    std::unique_ptr<TDoc> gallery = OpenListGallery();
    for (std::int32_t i = 0; i < gallery->Lists.Count; ++i) {
        const TAutoList& list = *gallery->Lists.At<TAutoList>(i);
        if (list.IsSingleLevel())
            continue;
        bool match = true;
        for (int k = 8; k >= 0 && match; --k)
            match = list.LevelIsBullet(k) == bullets;
        if (!match)
            continue;
        auto copy = std::make_unique<TAutoList>();
        copy->Assign(list);
        // Picture bullets belong to the gallery document, which goes now.
        for (TListLevel& level : copy->Levels)
            level.PictureBullet = nullptr;
        return copy;
    }
    return nullptr;
}
