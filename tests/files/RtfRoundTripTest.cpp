// Every RTF document of the corpus, opened, saved as RTF and opened again,
// must give the same model; and saving the document read back must give
// the same bytes as the first save. Both forms of the writer are covered:
// escaped text (memory targets: the clipboard) and raw 8-bit text (files).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "DocumentDump.h"
#include "FontManagerScope.h"
#include "RtfMemory.h"
#include "SaveTestSupport.h"
#include "TabManagerScope.h"
#include "base/core/TMemory.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

class RtfRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override { fonts.emplace(); }
    void TearDown() override { fonts.reset(); }

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
};

std::unique_ptr<TDoc> OpenFile(const std::string& path) {
    auto doc = std::make_unique<TDoc>(true);
    doc->TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = 0xFFFF;
    options.FileName = path;
    options.OpenReadOnly = true;
    if (!OpenDocument(*doc, options))
        return nullptr;
    return doc;
}

std::string SaveAsFile(TDoc& doc) {
    TStringSink sink;
    TDocSavingOptions options;
    options.Flags = svCopy;
    EXPECT_EQ(SaveToFormatStream(doc, options, sink), srSaved);
    return sink.Bytes;
}

// The first line where two dumps part, with its neighbours.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream sa(a), sb(b);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool ga = static_cast<bool>(std::getline(sa, la));
        const bool gb = static_cast<bool>(std::getline(sb, lb));
        if (!ga && !gb)
            return {};
        if (!ga || !gb || la != lb)
            return "line " + std::to_string(line) + ":\n  read:    " + (ga ? la : "<end>") +
                   "\n  re-read: " + (gb ? lb : "<end>");
    }
}

TEST_F(RtfRoundTripTest, CorpusDocumentsReadBackAsTheyWereSaved) {
    const std::vector<fs::path> files = CorpusRtfFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    for (const fs::path& path : files) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const auto pinned = RtfRoundTripPins.find(name);
        std::unique_ptr<TDoc> doc = OpenFile(path.string());
        if (pinned != RtfRoundTripPins.end()) {
            // A pinned file must still fail somewhere, or its pin is stale.
            bool same = doc != nullptr;
            if (same) {
                const std::string saved = SaveRtfToMemory(*doc);
                std::unique_ptr<TDoc> again = OpenRtfBytes(saved);
                same = again != nullptr && DumpDocumentModel(*doc) == DumpDocumentModel(*again);
            }
            EXPECT_FALSE(same) << "pinned as \"" << pinned->second << "\" but round-trips now";
            continue;
        }
        ASSERT_NE(doc, nullptr);
        const std::string model = DumpDocumentModel(*doc);
        struct Form {
            const char* Name;
            std::string (*Save)(TDoc&);
        };
        for (const Form& form : {Form{"escaped (memory)", SaveRtfToMemory}, Form{"raw 8-bit (file)", SaveAsFile}}) {
            SCOPED_TRACE(form.Name);
            const std::string first = form.Save(*doc);
            std::unique_ptr<TDoc> again = OpenRtfBytes(first);
            ASSERT_NE(again, nullptr);
            const std::string difference = FirstDifference(model, DumpDocumentModel(*again));
            EXPECT_TRUE(difference.empty()) << difference;
            const std::string second = form.Save(*again);
            const std::size_t at = static_cast<std::size_t>(
                std::mismatch(first.begin(), first.end(), second.begin(), second.end()).first - first.begin());
            const std::size_t from = at < 60 ? 0 : at - 60;
            EXPECT_TRUE(first == second) << "a second save differs from the first at byte " << at << ":\n  "
                                         << first.substr(from, 120) << "\n  " << second.substr(from, 120);
        }
    }
}

}  // namespace
