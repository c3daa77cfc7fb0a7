#include "model/undo/TFormatParsOperation.h"

#include <algorithm>
#include <cstring>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TParFormat.h"
#include "model/paragraphs/TPar.h"

namespace {

std::int32_t ReadInt(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void WriteInt(std::uint8_t* p, std::int32_t v) {
    std::memcpy(p, &v, 4);
}

}  // namespace

bool TFormatParsOperation::AddChange(std::int32_t par, const TParFormat& format) {
    const TParFormat current = Doc->Par(par)->Format;
    std::uint8_t props[ParPropCount];
    std::int32_t values[ParPropCount];
    int n = 0;
    for (int prop = 0; prop < ParPropCount; ++prop) {
        if (ParPropIsUnset(format, prop))
            continue;
        const std::int32_t value = GetParProp(format, prop);
        if (value == GetParProp(current, prop))
            continue;
        props[n] = static_cast<std::uint8_t>(prop);
        values[n] = value;
        ++n;
    }
    // Body text cannot stay collapsed; recording the mark with the change
    // lets undo give it back.
    if (!ParPropIsUnset(format, ppOutlineLevel) && GetParProp(format, ppOutlineLevel) == 9 &&
        ParPropIsUnset(format, ppCollapsed) && GetParProp(current, ppCollapsed) != 0 && n > 0) {
        props[n] = ppCollapsed;
        values[n] = 0;
        ++n;
    }
    if (n == 0)
        return false;
    Changes.AppendInt(par);
    Changes.AppendByte(static_cast<std::uint8_t>(n));
    for (int i = 0; i < n; ++i) {
        Changes.AppendByte(props[i]);
        Changes.AppendInt(values[i]);
    }
    return true;
}

void TFormatParsOperation::Undo() {
    TDoc& doc = *Doc;
    std::int32_t off = 0;
    while (off + 5 <= Changes.Size) {
        const std::int32_t index = ReadInt(Changes.Data + off);
        const int n = Changes.Data[off + 4];
        off += 5;
        TPar* par = doc.Par(index);
        bool borders = false, indents = false;
        for (int i = 0; i < n && off + 5 <= Changes.Size; ++i, off += 5) {
            const int prop = Changes.Data[off];
            const std::int32_t stored = ReadInt(Changes.Data + off + 1);
            WriteInt(Changes.Data + off + 1, GetParProp(par->Format, prop));
            SetParProp(par->Format, prop, stored);
            switch (prop) {
                case ppFirstIndent:
                case ppLeftIndent:
                case ppRightIndent:
                    indents = true;
                    doc.StateFlags[sfListsStale] = 1;
                    break;
                case ppTabs:
                case ppList:
                case ppListLevel:
                    doc.StateFlags[sfListsStale] = 1;
                    break;
                case ppOutlineLevel:
                case ppCollapsed:
                    doc.StateFlags[sfCollapsedStale] = 1;
                    break;
                case ppBorders:
                    borders = true;
                    break;
                default:
                    break;
            }
        }
        par->FreeLines();
        doc.NoteParChanged(index);
        // Borders of neighbouring paragraphs join, so their lines change too.
        if (borders || (indents && par->Format.Borders != 0)) {
            const int story = doc.StoryOfPar(index);
            if (index > doc.FirstParOfStory(story))
                doc.Par(index - 1)->FreeLines();
            if (index < doc.LastParOfStory(story))
                doc.Par(index + 1)->FreeLines();
        }
    }
    doc.StateFlags[sfContentChanged] = 1;
}
