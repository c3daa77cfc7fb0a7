// Paste and insertion over the corpus: a document inserted into another
// keeps every style, list and note of both; copying any part of a document
// and pasting it into an empty one gives the model of that part; moving text
// and undoing restores the document byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DocumentDump.h"
#include "SaveTestSupport.h"
#include "TransferDoc.h"
#include "base/core/ObjectHandles.h"
#include "files/opening/OpenDocument.h"
#include "files/transfer/CopyMove.h"
#include "files/transfer/InsertDocument.h"
#include "files/transfer/Paste.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::unique_ptr<TDoc> OpenCorpusFile(const fs::path& path, bool hidden) {
    auto doc = std::make_unique<TDoc>(hidden);
    doc->TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = 0xFFFF;
    options.FileName = path.string();
    options.OpenReadOnly = true;
    if (!OpenDocument(*doc, options))
        return nullptr;
    return doc;
}

// The small RTF documents of the corpus (the big ones are for benchmarks).
std::vector<fs::path> SmallCorpusFiles() {
    std::vector<fs::path> files;
    for (const fs::path& path : CorpusRtfFiles())
        if (fs::file_size(path) < 400000)
            files.push_back(path);
    return files;
}

struct TCounts {
    std::int32_t NoteRefs = 0;
    std::int32_t NoteBodies = 0;
    std::int32_t ListPars = 0;
    std::set<std::string> UsedStyles;
};

TCounts CountsOf(const TDoc& doc) {
    TCounts counts;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const auto* field = doc.Fields.At<TField>(i);
        counts.NoteRefs += field->Kind == fkNoteRef;
        counts.NoteBodies += field->Kind == fkNoteBody;
    }
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TParFormat& format = doc.Par(p)->Format;
        if (format.List != 0 && format.List != UnsetValue)
            ++counts.ListPars;
        if (doc.Styles != nullptr && format.Style >= 0 && format.Style < doc.Styles->Count)
            counts.UsedStyles.insert(doc.Styles->Style(format.Style)->Name);
    }
    return counts;
}

// The lines of a dump that show paragraphs' runs, story by story.
// Shapes brought into a document are stacked above the shapes it has, so
// their z-order is the destination's to give: the comparisons leave it out.
std::string WithoutZOrder(std::string line) {
    static const std::regex z(R"( z -?[0-9]+([ >]))");
    return std::regex_replace(line, z, "$1");
}

std::vector<std::string> RunLines(const std::string& dump, int story) {
    std::vector<std::string> lines;
    std::istringstream in(dump);
    std::string line;
    bool inStory = false;
    const std::string storyTag = " story " + std::to_string(story) + " ";
    while (std::getline(in, line)) {
        if (line.rfind("par ", 0) == 0)
            inStory = line.find(storyTag) != std::string::npos;
        else if (inStory && line.rfind("  ", 0) == 0)
            lines.push_back(WithoutZOrder(line));
    }
    return lines;
}

// Drops the format shown just before a paragraph's closing mark.
void StripMarkFormat(std::string& line) {
    const std::string mark = "<s2>";
    if (line.size() < mark.size() || line.compare(line.size() - mark.size(), mark.size(), mark) != 0)
        return;
    const std::size_t end = line.size() - mark.size();
    if (end == 0 || line[end - 1] != '}')
        return;
    const std::size_t open = line.rfind('{', end - 1);
    if (open != std::string::npos && line.find('}', open) == end - 1)
        line.erase(open, end - open);
}

class TransferCorpusTest : public ::testing::Test {
protected:
    TTransferScope scope;
};

TEST_F(TransferCorpusTest, AnInsertedDocumentKeepsEveryStyleListAndNoteOfBoth) {
    const std::vector<fs::path> files = SmallCorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    // The destination has footnotes, a list and styles of its own.
    const fs::path destPath = TestSupport::CorpusPath("rtf/jsw__footnotes.docx.rtf");
    if (!fs::exists(destPath))
        GTEST_SKIP() << "no footnote document in the corpus";
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        std::unique_ptr<TDoc> inserted = OpenCorpusFile(path, true);
        if (inserted == nullptr)
            continue;  // documents the reader refuses are the reader's tests
        std::unique_ptr<TDoc> doc = OpenCorpusFile(destPath, false);
        ASSERT_NE(doc, nullptr);
        const TCounts dest = CountsOf(*doc);
        const TCounts source = CountsOf(*inserted);
        const std::string before = TestSupport::DocumentBytes(*doc);
        std::set<std::string> destStyles;
        for (std::int32_t i = 0; i < doc->Styles->Count; ++i)
            destStyles.insert(doc->Styles->Style(i)->Name);

        doc->Caret = TTextPos{1, 0};
        PasteFile(*doc, path.string(), 7);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        const TCounts after = CountsOf(*doc);
        EXPECT_EQ(after.NoteRefs, dest.NoteRefs + source.NoteRefs);
        EXPECT_EQ(after.NoteBodies, dest.NoteBodies + source.NoteBodies);
        // The first inserted paragraph takes the format of the paragraph it
        // joins, so one list paragraph may be gained or lost there.
        EXPECT_NEAR(after.ListPars, dest.ListPars + source.ListPars, 1);
        for (std::int32_t i = 0; i < doc->Styles->Count; ++i)
            destStyles.erase(doc->Styles->Style(i)->Name);
        EXPECT_TRUE(destStyles.empty()) << *destStyles.begin();
        std::set<std::string> names;
        for (std::int32_t i = 0; i < doc->Styles->Count; ++i)
            names.insert(doc->Styles->Style(i)->Name);
        for (const std::string& used : source.UsedStyles)
            EXPECT_TRUE(names.contains(used)) << used;
        // Every list a paragraph names is the document's.
        for (std::int32_t p = 0; p < doc->ParCount(); ++p) {
            const std::int32_t list = doc->Par(p)->Format.List;
            if (list != 0 && list != UnsetValue)
                ASSERT_TRUE(doc->Lists.Contains(HandleObject(static_cast<TObjectHandle>(list)))) << "paragraph " << p;
        }
        // The inserted paragraphs, short of the first and the last, read as
        // they did in their own document; plain text takes the destination's
        // format.
        if (inserted->FormatCode == ffPlainText)
            continue;
        const std::vector<std::string> own = RunLines(DumpDocumentModel(*inserted), stMain);
        const std::vector<std::string> now = RunLines(DumpDocumentModel(*doc), stMain);
        for (std::size_t i = 1; i + 1 < own.size(); ++i) {
            ASSERT_LT(i + 1, now.size());
            EXPECT_EQ(now[i + 1], own[i]) << "paragraph " << i;
        }
        doc->Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    }
}

TEST_F(TransferCorpusTest, ACopiedSelectionPastesAsThePartItSelected) {
    const std::vector<fs::path> files = SmallCorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    // Smart spacing would tidy the spaces at the pasted part's ends.
    PasteOptions().SmartCutAndPaste = false;
    std::mt19937 random(20261211);
    std::int32_t checked = 0;
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        std::unique_ptr<TDoc> source = OpenCorpusFile(path, true);
        if (source == nullptr)
            continue;
        const std::int32_t mainCount = source->StoryCounts[stMain];
        for (int round = 0; round < 6; ++round) {
            std::uniform_int_distribution<std::int32_t> parOf(0, mainCount - 1);
            std::int32_t p1 = parOf(random), p2 = parOf(random);
            if (p1 > p2)
                std::swap(p1, p2);
            std::uniform_int_distribution<std::int32_t> o1Of(0, source->Par(p1)->CharCount() - 1);
            std::uniform_int_distribution<std::int32_t> o2Of(0, source->Par(p2)->CharCount() - 1);
            TTextPos start{p1, o1Of(random)}, end{p2, o2Of(random)};
            source->OrderRangeEnds(start, end, true);
            if (CompareTextPos(start, end) >= 0)
                continue;
            TFragment range{start, end};
            SCOPED_TRACE(testing::Message()
                         << start.Par << "," << start.Offset << " - " << end.Par << "," << end.Offset);
            const std::string rtf = RtfOf(*source, &range);
            std::unique_ptr<TDoc> part = DocFromRtf(rtf, true);
            ASSERT_NE(part, nullptr);

            TDoc pasted;
            scope.Clipboard.Clear();
            SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat, rtf);
            TPasteData data;
            pasted.PerformOperation(TPasteArgs{&data});
            EXPECT_EQ(TestSupport::CheckModelInvariants(pasted), "");
            for (int story : {stMain, stFootnotes, stEndnotes}) {
                SCOPED_TRACE(story);
                std::vector<std::string> want = RunLines(DumpDocumentModel(*part), story);
                std::vector<std::string> got = RunLines(DumpDocumentModel(pasted), story);
                // The last paragraph ends with the empty document's own
                // mark, in that document's format.
                if (story == stMain && !want.empty() && !got.empty()) {
                    StripMarkFormat(want.back());
                    StripMarkFormat(got.back());
                }
                EXPECT_EQ(got.size(), want.size());
                for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i)
                    if (got[i] != want[i]) {
                        ADD_FAILURE() << "paragraph " << i << "\n  pasted: " << got[i] << "\n  part:   " << want[i];
                        break;
                    }
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST_F(TransferCorpusTest, MovingTextAndUndoingRestoresTheDocument) {
    const std::vector<fs::path> files = SmallCorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    std::mt19937 random(1211);
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        std::unique_ptr<TDoc> doc = OpenCorpusFile(path, false);
        if (doc == nullptr)
            continue;
        const std::int32_t mainCount = doc->StoryCounts[stMain];
        for (int round = 0; round < 3; ++round) {
            std::uniform_int_distribution<std::int32_t> parOf(0, mainCount - 1);
            const std::int32_t p1 = parOf(random), p2 = std::min(p1 + 1, mainCount - 1), pt = parOf(random);
            TCopyMoveDescription move;
            move.Start = TTextPos{p1, 0};
            move.End = TTextPos{p2, std::max(doc->Par(p2)->CharCount() - 1, 0)};
            move.Target = TTextPos{pt, std::max(doc->Par(pt)->CharCount() - 1, 0) / 2};
            SCOPED_TRACE(testing::Message() << p1 << " - " << p2 << " to " << pt);
            // Writing the RTF puts the streams in their canonical form, which
            // holds the same text and formats in fewer bytes: compare that.
            for (std::int32_t p = 0; p < doc->ParCount(); ++p)
                doc->Par(p)->Normalize();
            const std::string before = TestSupport::DocumentBytes(*doc);
            const std::int32_t undo = doc->UndoIndex;
            doc->PerformOperation(TCopyMoveTextArgs{&move, cmMove});
            EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
            if (doc->UndoIndex == undo)
                continue;  // a target inside the moved text
            doc->Undo(false);
            EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
        }
    }
}

}  // namespace
