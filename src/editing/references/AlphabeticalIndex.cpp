#include "editing/references/AlphabeticalIndex.h"

#include <algorithm>

#include "base/core/ObjectHandles.h"
#include "editing/references/GeneratedText.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

void CollectIndexEntryFields(TDoc& doc, std::vector<TIndexEntryField>& fields) {
    fields.clear();
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar& par = *doc.Par(p);
        std::int32_t pos = 0;
        TStreamElement e;
        for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
            ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
            if (!e.IsControl) {
                pos += e.Length;
            } else if (e.Truncated) {
                break;
            } else if (ControlTakesPosition(e.Code)) {
                ++pos;
            } else if (e.Code == fcFieldStart) {
                auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
                if (field != nullptr && field->Kind == fkCode && field->Type == ftIndexEntry) {
                    TIndexEntryField entry;
                    entry.Field = field;
                    MakeTextPos(p, pos, entry.Pos);
                    fields.push_back(entry);
                }
            }
        }
    }
    for (TIndexEntryField& entry : fields)
        entry.Page = PageOfPosition(doc, entry.Pos);
}

void IndexEntryPages(TDoc& doc, std::vector<TIndexEntryPage>& entries) {
    std::vector<TIndexEntryField> fields;
    CollectIndexEntryFields(doc, fields);
    entries.clear();
    for (const TIndexEntryField& f : fields)
        entries.push_back({f.Field, f.Page});
    std::sort(entries.begin(), entries.end(),
              [](const TIndexEntryPage& a, const TIndexEntryPage& b) { return a.Field < b.Field; });
}
