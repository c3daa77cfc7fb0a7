#include "model/document/TDoc.h"

#include <gtest/gtest.h>

#include "DocFixture.h"
#include "ModelSeamsStub.h"
#include "model/document/StateFlags.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/host/ModelOptions.h"
#include "model/paragraphs/TPar.h"

namespace {

TEST(DocTest, NewDocumentHasOneMainParagraphAndEmptyStories) {
    TDoc doc;
    ASSERT_EQ(doc.ParCount(), 1);
    EXPECT_EQ(doc.Par(0)->CharCount(), 1);
    EXPECT_EQ(doc.Par(0)->Chars.Data[0], chParEnd);
    EXPECT_TRUE(ParFormatsEqual(doc.Par(0)->Format, DefaultParFormat));
    EXPECT_EQ(doc.StoryOfPar(0), stMain);
    EXPECT_EQ(doc.FirstParOfStory(stFootnotes), 1);
    EXPECT_EQ(doc.LastParOfStory(stFootnotes), 0);   // an empty story
    EXPECT_EQ(doc.StoryOfPar(5), stHeadersFooters);  // beyond every count
    for (std::uint8_t flag : {sfSectionIndexStale, sfFieldIndexStale, sfContentChanged, sfHasWindow})
        EXPECT_EQ(doc.StateFlags[flag], 1) << int(flag);
    ASSERT_EQ(doc.Sections.Count, 1);
    EXPECT_EQ(doc.SectionOfPar(0), doc.Sections.At<TSection>(0));
    EXPECT_EQ(doc.DefaultTabWidth, 720);
    EXPECT_EQ(doc.Zoom, 100);
    EXPECT_EQ(doc.StateFlags[sfHidden], 0);
    EXPECT_EQ(doc.StateFlags[sfConstructing], 0);

    TDoc hidden(true);
    EXPECT_EQ(hidden.StateFlags[sfHidden], 1);
    EXPECT_EQ(hidden.StateFlags[sfHasWindow], 0);
    EXPECT_EQ(hidden.DocNumber, doc.DocNumber + 1);
}

TEST(DocTest, StoriesFollowTheirCounts) {
    TDocFixture f({"m0{par}", "m1{par}", "f0{par}", "e0{par}", "e1{par}", "h0{par}"});
    TDoc& doc = f.Doc();
    doc.StoryCounts[0] = 2;
    doc.StoryCounts[1] = 1;
    doc.StoryCounts[2] = 2;
    doc.StoryCounts[3] = 1;
    const int stories[] = {0, 0, 1, 2, 2, 3};
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(doc.StoryOfPar(p), stories[p]) << p;
    EXPECT_EQ(doc.FirstParOfStory(stEndnotes), 3);
    EXPECT_EQ(doc.LastParOfStory(stEndnotes), 4);
    EXPECT_FALSE(doc.IsParDimmed(0));
    EXPECT_TRUE(doc.IsParDimmed(5));  // a header while the body is edited
    doc.StateFlags[sfPreviewDocument] = 1;
    EXPECT_FALSE(doc.IsParDimmed(5));
}

TEST(DocTest, StateFlagsRestoreInReverseOrder) {
    TDoc doc;
    doc.StateFlags[39] = 0;
    doc.PushStateFlag(39);
    EXPECT_EQ(doc.StateFlags[39], 1);
    doc.PushStateFlagClear(39);
    EXPECT_EQ(doc.StateFlags[39], 0);
    doc.PushStateFlag(39);
    doc.PopStateFlag();
    EXPECT_EQ(doc.StateFlags[39], 0);
    doc.PopStateFlag();
    EXPECT_EQ(doc.StateFlags[39], 1);
    doc.PopStateFlag();
    EXPECT_EQ(doc.StateFlags[39], 0);
    EXPECT_EQ(doc.StateFlagStackDepth(), 0);
}

TEST(DocTest, StateFlagStackGrowsByDoublingWithoutLosingEntries) {
    TDoc doc;
    EXPECT_EQ(doc.StateFlagStackCapacity(), 32);
    // Seventeen entries of two bytes do not fit into 32 bytes.
    for (int i = 0; i < 17; ++i) {
        doc.StateFlags[100 + i] = static_cast<std::uint8_t>(i % 2);
        doc.PushStateFlagClear(static_cast<std::uint8_t>(100 + i));
    }
    EXPECT_EQ(doc.StateFlagStackCapacity(), 64);
    EXPECT_EQ(doc.StateFlagStackDepth(), 17);
    // Many more, then all of them back.
    for (int i = 0; i < 200; ++i)
        doc.PushStateFlag(static_cast<std::uint8_t>(i % 180));
    EXPECT_EQ(doc.StateFlagStackCapacity(), 512);
    doc.PopStateFlags(217);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(doc.StateFlags[100 + i], i % 2) << i;
}

TEST(DocTest, TwipsConvertToPixelsRoundingHalfUp) {
    TDoc doc;
    struct Case {
        const char* name;
        std::int32_t resolution;
        std::int32_t twips;
        std::int32_t pixels;
    };
    const Case cases[] = {
        {"an inch at 96 ppi", 96, 1440, 96},   {"0.4666 rounds down", 96, 7, 0},        {"0.5333 rounds up", 96, 8, 1},
        {"exactly half rounds up", 48, 15, 1}, {"negative half rounds up", 48, -15, 0}, {"200 % zoom", 192, 1440, 192},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.ZoomedResolutionX = doc.ZoomedResolutionY = c.resolution;
        EXPECT_EQ(doc.TwipsToPixelsY(c.twips), c.pixels);
        EXPECT_EQ(doc.TwipsToPixelsX(c.twips), c.pixels);
    }
    doc.ZoomedResolutionY = 96;
    EXPECT_EQ(doc.FontHeightPixels(2), -3);    // never less than 3 pixels
    EXPECT_EQ(doc.FontHeightPixels(24), -16);  // 12 points
    EXPECT_EQ(doc.PixelsToTwipsY(96), 1440);
    EXPECT_EQ(doc.TwipsToZoomedPixelsY(1440, 50), 48);
    doc.Zoom = 150;
    EXPECT_EQ(doc.ApplyZoom(100), 150);
    doc.Zoom = 100;
    EXPECT_EQ(doc.ApplyZoom(7), 7);
}

TEST(DocTest, FitZoomFollowsTheZoomModeAndStaysInRange) {
    TDoc doc;
    TRecordingDocClient client(doc);
    EXPECT_EQ(doc.FitZoom(), 100);  // without a window the stored zoom stands
    client.Window = true;
    doc.UpdatePageMetrics();  // US Letter: 816 x 1056 pixels at 100 %
    struct Case {
        const char* name;
        std::uint8_t mode;
        std::int32_t width, height;
        std::int32_t zoom;
    };
    const Case cases[] = {
        {"page width", zmPageWidth, 836, 600, 100},     {"narrower than the margin", zmPageWidth, 15, 600, 10},
        {"text width", zmTextWidth, 664, 600, 100},     {"whole page limited by height", zmWholePage, 2000, 548, 50},
        {"two pages", zmTwoPages, 1665, 5000, 100},     {"wide window caps at 500", zmPageWidth, 10000, 600, 500},
        {"fixed percentage", zmPercent, 100, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.ZoomMode = c.mode;
        client.Width = c.width;
        client.Height = c.height;
        EXPECT_EQ(doc.FitZoom(), c.zoom);
    }
}

TEST(DocTest, SetViewModeWithTheCurrentModeDoesNothing) {
    TDoc doc;
    TRecordingDocClient client(doc);
    doc.SetViewMode(vmPrintLayout);
    EXPECT_TRUE(client.Log.empty());
    doc.SetViewMode(vmDraft);
    EXPECT_EQ(doc.ViewMode, vmDraft);
    EXPECT_EQ(client.Calls("RebuildLayout").size(), 1u);
    EXPECT_EQ(doc.StateFlagStackDepth(), 0);
}

TEST(DocTest, TemporaryViewModeComesBackAndBalancesTheFlags) {
    TDoc doc;
    TRecordingDocClient client(doc);
    doc.ScrollPos = TViewPoint{0, 0};
    doc.BeginTempViewMode(vmDraftWrapped);
    EXPECT_EQ(doc.ViewMode, vmDraftWrapped);
    EXPECT_EQ(doc.StateFlags[sfTempViewMode], 1);
    EXPECT_EQ(doc.StateFlags[sfFollowUI], 0);
    doc.EndTempViewMode(true);
    EXPECT_EQ(doc.ViewMode, vmPrintLayout);
    EXPECT_EQ(doc.StateFlags[sfTempViewMode], 0);
    EXPECT_EQ(doc.StateFlagStackDepth(), 0);
    doc.EndTempViewMode(true);  // not active: nothing
    EXPECT_EQ(doc.StateFlagStackDepth(), 0);
}

TEST(DocTest, ScrollPositionsAreClampedToTheView) {
    TDoc doc;
    TRecordingDocClient client(doc);
    client.Width = 100;
    client.Height = 100;
    doc.ViewExtent = TViewPoint{300, 1000};
    doc.ScrollTo(TViewPoint{500, -20});
    EXPECT_EQ(doc.ScrollPos.X, 200);
    EXPECT_EQ(doc.ScrollPos.Y, 0);
    doc.ScrollToY(400);
    EXPECT_EQ(doc.ScrollPos.Y, 400);
    doc.StateFlags[sfNoScrollClamp] = 1;
    doc.ScrollTo(TViewPoint{-5, 5000});
    EXPECT_EQ(doc.ScrollPos.Y, 5000);
}

TEST(DocTest, ZoomKeepsThePlaceAndPrintPreviewGivesItBack) {
    TDoc doc;
    TRecordingDocClient client(doc);
    client.Width = 100;
    client.Height = 100;
    doc.ViewExtent = TViewPoint{100000, 100000};
    doc.ScrollPos = TViewPoint{100, 200};
    doc.SetZoom(200);
    EXPECT_EQ(doc.ZoomInForce, 200);
    EXPECT_EQ(doc.ZoomedResolutionY, 192);
    EXPECT_EQ(doc.ScrollPos.X, 200);  // the same place, twice as far in
    EXPECT_EQ(doc.ScrollPos.Y, 400);
    // An anchor keeps its point under the same place of the window.
    const TViewPoint anchor{50, 50};
    doc.SetZoomAt(100, &anchor);
    EXPECT_EQ(doc.ScrollPos.X, 75);
    EXPECT_EQ(doc.ScrollPos.Y, 175);

    const TModelOptions saved = ModelOptions();
    ModelOptions().PreviewZoom = 40;
    ModelOptions().PreviewZoomMode = zmPercent;
    doc.SetViewMode(vmDraft);
    doc.SetPrintPreview(true);
    EXPECT_EQ(doc.PrintPreview, 1);
    EXPECT_EQ(doc.Zoom, 40);
    EXPECT_EQ(doc.ViewMode, vmPrintLayout);
    doc.SetPrintPreview(false);
    EXPECT_EQ(doc.Zoom, 100);
    EXPECT_EQ(doc.ViewMode, vmDraft);
    EXPECT_EQ(doc.StateFlagStackDepth(), 0);
    ModelOptions() = saved;
}

TEST(DocTest, ModifiedStateAndUntitledDocumentsNeedSaving) {
    TRecordingModelHost host;
    TDoc doc;
    EXPECT_FALSE(doc.NeedsSave());
    const auto before = host.UIInvalidations;
    doc.SetModified(true);
    EXPECT_TRUE(doc.NeedsSave());
    EXPECT_EQ(host.UIInvalidations, before + 1);
    doc.SetModified(true);  // no change, no refresh
    EXPECT_EQ(host.UIInvalidations, before + 1);
    doc.SetModified(false);
    doc.StateFlags[sfUntitled] = 1;
    EXPECT_TRUE(doc.NeedsSave());
    EXPECT_FALSE(doc.IsFileOpenElsewhere());
}

TEST(DocTest, SectionIndexFollowsTheBreaks) {
    TDocFixture f;
    TSection* last = f.Doc().Sections.At<TSection>(0);
    TSection& s1 = f.Objects.Section("S1");
    TSection& s2 = f.Objects.Section("S2");
    for (const char* d : {"a{par}", "b{sect:S1}", "c{par}", "d{sect:S2}", "e{par}"})
        f.Add(d);
    TDoc& doc = f.Doc();
    doc.ResortSections();
    ASSERT_EQ(doc.Sections.Count, 3);
    EXPECT_EQ(doc.Sections.At<TSection>(0), &s1);
    EXPECT_EQ(doc.Sections.At<TSection>(2), last);
    struct Case {
        std::int32_t par;
        TSection* section;
    };
    const Case cases[] = {{0, &s1}, {1, &s1}, {2, &s2}, {3, &s2}, {4, last}};
    for (const Case& c : cases)
        EXPECT_EQ(doc.SectionOfPar(c.par), c.section) << c.par;
    EXPECT_EQ(s2.FirstPar, 2);
    EXPECT_EQ(s2.LastPar, 3);
    EXPECT_EQ(last->Number, 2);
    // A section after a continuous break takes the page setup of the one
    // before.
    s1.Format.BreakKind = 0;
    EXPECT_EQ(doc.PageSectionOfPar(2), &s1);
    EXPECT_EQ(doc.PageSectionOfPar(4), last);
}

TEST(DocTest, NotesBelongToTheSectionOfTheirReference) {
    TDocFixture f;
    TSection& s = f.Objects.Section("S");
    TField& ref = f.Objects.Field("R", fkNoteRef);
    TField& body = f.Objects.Field("N", fkNoteBody);
    body.Partner = &ref;
    ref.Partner = &body;
    for (const char* d : {"a{sect:S}", "x{fs:R}{noteref}{fe:R}{par}", "tail{par}", "{fs:N}note{fe:N}{par}"})
        f.Add(d);
    TDoc& doc = f.Doc();
    doc.StoryCounts[0] = 3;
    doc.StoryCounts[1] = 1;
    doc.ResortSections();
    TSection* last = static_cast<TSection*>(doc.Sections.Last());
    ASSERT_NE(last, &s);
    EXPECT_EQ(doc.SectionOfPar(3), last);  // the reference is in the last section
    // With the reference in the first section, the note follows it.
    doc.Pars.Exchange(0, 1);
    doc.RenumberPars(0);
    doc.StateFlags[sfSectionIndexStale] = 1;
    EXPECT_EQ(doc.SectionOfPar(3), &s);
    // In draft view a footnote goes to the section of the main text's end.
    doc.ViewMode = vmDraft;
    EXPECT_EQ(doc.SectionOfPar(3), last);
}

}  // namespace
