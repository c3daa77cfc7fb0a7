// Clips: the names made from the selection, the numbered names without one,
// the check that a clip lies inside the Clip Library, and its folders.

#include "files/saving/ClipLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "files/opening/OpenDocument.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;

TEST(ClipLibrary, ClipNamesFromText) {
    struct Case {
        const char* Name;
        std::u16string Text;
        std::string Expected;
    };
    const Case cases[] = {
        {"plain sentence", u"The quarterly figures are in.", "The quarterly figures are in"},
        {"trailing delimiters and blanks", u"Really?!  \u201D\u2026 ", "Really"},
        {"a closing apostrophe stays", u"The dogs'", "The dogs'"},
        {"cut at fifty characters", std::u16string(60, u'a'), std::string(50, 'a')},
        {"cut leaves a blank at the end", std::u16string(49, u'b') + u" cdef", std::string(49, 'b')},
        {"forbidden characters become blanks", u"Path/to: \u201Cthe\u201D <file>|x", "Path to   the   file  x"},
        {"control characters become blanks", u"Tab\there", "Tab here"},
        {"letters beyond ASCII stay", u"Caf\u00E9 na\u00EFve \u20AC5",
         "Caf\xC3\xA9 na\xC3\xAFve \xE2\x82\xAC"
         "5"},
        {"nothing but delimiters", u" ... !? ", ""},
        {"empty", u"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ClipNameFromText(c.Text), c.Expected);
    }
}

TEST(ClipLibrary, SuggestedPathsNumberUnnamedClipsFromOne) {
    TTempDir dir;
    const std::string folder = dir.Path() + "/";
    EXPECT_EQ(SuggestedClipPath(folder, "Minutes", "rtf"), folder + "Minutes.rtf");
    EXPECT_EQ(SuggestedClipPath(folder, "", "rtf"), folder + "Clip 1.rtf");
    TestSupport::WriteFileBytes(folder + "Clip 1.rtf", "x");
    TestSupport::WriteFileBytes(folder + "Clip 2.rtf", "x");
    EXPECT_EQ(SuggestedClipPath(folder, "", "rtf"), folder + "Clip 3.rtf");
    // Another extension is numbered on its own.
    EXPECT_EQ(SuggestedClipPath(folder, "", "png"), folder + "Clip 1.png");
    // A percent sign of the folder is no number.
    fs::create_directory(dir.Path() + "/50%");
    EXPECT_EQ(SuggestedClipPath(dir.Path() + "/50%/", "", "rtf"), dir.Path() + "/50%/Clip 1.rtf");
}

TEST(ClipLibrary, ClipsMustLieInsideTheLibrary) {
    struct Case {
        const char* Path;
        bool Inside;
    };
    const std::string library = "/home/u/Clips";
    const Case cases[] = {
        {"/home/u/Clips/a.rtf", true},
        {"/home/u/Clips/Images/Clip 1.png", true},
        {"/home/u/Clips/./Tables/../b.rtf", true},
        {"/home/u/Clips/../Other/a.rtf", false},
        {"/home/u/ClipsOld/a.rtf", false},
        {"/home/u/Clips", false},
        {"/home/u/Clips/", false},
        {"/elsewhere/a.rtf", false},
        {"", false},
    };
    for (const std::string& root : {library, library + "/"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(root + " holds " + c.Path);
            EXPECT_EQ(IsInsideClipLibrary(c.Path, root), c.Inside);
        }
    }
}

TEST(ClipLibrary, FoldersAreCreatedWhereMissing) {
    TTempDir dir;
    const std::string library = dir.File("Clip Library");
    ASSERT_TRUE(CreateClipLibraryFolders(library));
    EXPECT_TRUE(fs::is_directory(library + "/Images"));
    EXPECT_TRUE(fs::is_directory(library + "/Tables"));
    // Again over existing folders: nothing to do, no error.
    ASSERT_TRUE(CreateClipLibraryFolders(library));
    // A file where the library should be cannot become a folder.
    TestSupport::WriteFileBytes(dir.File("taken"), "x");
    TScriptedMessageBoxes boxes;
    EXPECT_FALSE(CreateClipLibraryFolders(dir.File("taken")));
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST(ClipLibrary, TheSelectionNamesItsClip) {
    TTempDir dir;
    const std::string path = dir.File("doc.rtf");
    TestSupport::WriteFileBytes(
        path, "{\\rtf1\\ansi First one. The second sentence runs on!\\par Next paragraph here.\\par\\par}");
    TScriptedMessageBoxes boxes;
    auto doc = std::make_unique<TDoc>(true);
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = 0xFFFF;
    options.FileName = path;
    ASSERT_TRUE(OpenDocument(*doc, options));
    struct Case {
        const char* Name;
        std::int32_t Par, From, To;
        std::string Expected;
    };
    const Case cases[] = {
        {"the sentence at the start", 0, 16, 20, "The second sentence runs on"},
        {"a selection made backwards starts at its end", 1, 5, 0, "Next paragraph here"},
        {"the sentence stops at its paragraph", 0, 0, 3, "First one"},
        {"an empty paragraph gives no name", 2, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        doc->Selection->SetSingle(c.Par, c.From, c.Par, c.To);
        EXPECT_EQ(ClipNameFromSelection(*doc), c.Expected);
    }
}

}  // namespace
