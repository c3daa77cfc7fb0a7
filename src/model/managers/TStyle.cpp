#include "model/managers/TStyle.h"

#include <algorithm>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "model/managers/DescribeFormatting.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyleList.h"

namespace {

THotKeyTextHook& HotKeyHook() {
    static THotKeyTextHook hook;
    return hook;
}

constexpr std::int32_t kUnset16 = static_cast<std::int16_t>(0x8000);

bool IsSet16(std::int32_t v) {
    return v != kUnset16;
}

// Sums of indents stay inside the 16-bit property and off its unset mark.
std::int16_t Indent(std::int32_t v) {
    return static_cast<std::int16_t>(std::clamp(v, -32767, 32767));
}

}  // namespace

void OverlayStyleParFormat(TParFormat& d, const TParFormat& s) {
    const std::int32_t sf = s.FirstIndent, sl = s.LeftIndent;
    std::int32_t df = d.FirstIndent, dl = d.LeftIndent;
    if ((IsSet16(sf) && IsSet16(sl)) || (!IsSet16(df) && !IsSet16(dl))) {
        df = sf;
        dl = sl;
    } else if (IsSet16(sf)) {
        // The body moves so that the first line stays where it was.
        if (IsSet16(dl) && IsSet16(df) && df < 0)
            dl += df;
        df = sf;
        if (IsSet16(dl) && df < 0)
            dl -= df;
    } else if (IsSet16(sl)) {
        dl = sl;
        if (IsSet16(df) && df < 0)
            dl -= df;
    }
    d.FirstIndent = IsSet16(df) ? Indent(df) : static_cast<std::int16_t>(kUnset16);
    d.LeftIndent = IsSet16(dl) ? Indent(dl) : static_cast<std::int16_t>(kUnset16);
    for (int prop = ppLineSpacing; prop < ParPropCount; ++prop)
        if (!ParPropIsUnset(s, prop))
            CopyParProp(d, prop, s);
}

void SetHotKeyTextHook(THotKeyTextHook hook) {
    HotKeyHook() = std::move(hook);
}

std::string HotKeyText(std::uint32_t key) {
    if (key == 0)
        return {};
    if (const THotKeyTextHook& hook = HotKeyHook())
        return hook(key);
    return std::string("#").append(std::to_string(key));
}

TStyle::TStyle(TStyleList* owner, const TStyle& source) : Owner(owner) {
    Assign(source);
}

void TStyle::Assign(const TStyle& source) {
    if (&source == this)
        return;
    BuiltInId = source.BuiltInId;
    BasedOn = source.BasedOn;
    NextStyle = source.NextStyle;
    Name = source.Name;
    DisplayName = source.DisplayName;
    HotKey = source.HotKey;
    CharFormat = source.CharFormat;
    ParFormat = source.ParFormat;
}

bool TStyle::HasList() const {
    const std::int32_t list = ParFormat.List;
    return list != 0 && list != UnsetValue;
}

TAutoList* TStyle::List() const {
    return HasList() ? HandleTo<TAutoList>(static_cast<TObjectHandle>(ParFormat.List)) : nullptr;
}

void TStyle::ResolveFormat(TCharFormat* charFormat, TParFormat* parFormat, std::uint32_t flags) const {
    // The chain from this style to its root. A damaged sheet may loop; the
    // chain never holds more styles than the sheet.
    std::vector<const TStyle*> chain{this};
    if (Owner != nullptr) {
        std::int32_t next = BasedOn;
        while (next >= 0 && next < Owner->Count && static_cast<std::int32_t>(chain.size()) <= Owner->Count) {
            const TStyle* parent = Owner->Style(next);
            if (std::find(chain.begin(), chain.end(), parent) != chain.end())
                break;
            chain.push_back(parent);
            next = parent->BasedOn;
        }
    }

    TCharFormat cf = (flags & rfUnsetBase) ? UnsetCharFormat : DefaultCharFormat;
    TParFormat pf = (flags & rfUnsetBase) ? UnsetParFormat : DefaultParFormat;
    if (!(flags & rfUnsetBase)) {
        pf.WidowControl = 0;
        ClearParProp(pf, ppInTable);
        ClearParProp(pf, ppCollapsed);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        OverlayCharFormat(cf, (*it)->CharFormat);
        OverlayStyleParFormat(pf, (*it)->ParFormat);
    }
    CopyParProp(pf, ppOutlineLevel, ParFormat);
    CopyParProp(pf, ppList, ParFormat);
    if (!(flags & rfKeepLanguage))
        cf[caLanguage] = UnsetValue;
    const TAutoList* list = List();
    if ((flags & rfListIndents) && list != nullptr) {
        std::int32_t level = 0;
        if (!list->IsSingleLevel()) {
            const std::int32_t own = ParFormat.ListLevel;
            level = own >= 0 && own <= 8 ? own : 0;
        }
        pf.FirstIndent = list->Levels[level].ParFormat.FirstIndent;
        pf.LeftIndent = list->Levels[level].ParFormat.LeftIndent;
    }
    if (flags & rfUnsetBase) {
        if (!HasList())
            ClearParProp(pf, ppListLevel);
    } else {
        if (ParPropIsUnset(pf, ppOutlineLevel))
            pf.OutlineLevel = 9;
        if (!HasList())
            pf.ListLevel = 0;
    }
    if (charFormat != nullptr)
        *charFormat = cf;
    if (parFormat != nullptr)
        *parFormat = pf;
}

std::string TStyle::Describe(bool withBase) const {
    const bool hasParent = Owner != nullptr && BasedOn >= 0 && BasedOn < Owner->Count;
    std::uint32_t flags = dfNonBreaking;
    if (withBase && BasedOn < 0)
        flags |= dfDefaultFontAndSize;
    std::string text = DescribeFormatting(CharFormat, ParFormat, "; ", flags);
    if (!withBase)
        return text;
    if (hasParent) {
        const std::string& parent = Owner->Style(BasedOn)->DisplayName;
        text = text.empty() ? parent : parent + " + " + text;
    }
    if (HotKey != 0) {
        if (!text.empty())
            text += "\r\n";
        text += "Hot key: " + HotKeyText(HotKey);
    }
    return text;
}
