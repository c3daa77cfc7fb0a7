// Shape operations: the steps that change one shape, restacking and new
// properties through opFormatPicture, and the document's shape services.
// Every change is undone and redone, and the model must come back byte for
// byte each way.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EditDoc.h"
#include "base/core/ObjectHandles.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/TPNGImage.h"
#include "editing/shapes/ShapeOperations.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/ShapeFormatOperations.h"
#include "model/undo/ShapeOperations.h"
#include "model/undo/TOperation.h"
#include "support/ModelInvariants.h"

namespace {

// A floating shape anchored at the start of paragraph par.
TShape* AnchorShape(TDoc& doc, std::int32_t par, std::int32_t zOrder, bool behind = false) {
    auto* shape = new TShape(&doc);
    shape->Props.WrapKind = swSquare;
    shape->SetBehindText(behind);
    shape->SetZOrder(zOrder);
    shape->AnchorPar = doc.Par(par);
    doc.Shapes.Add(shape);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(shape));
    TPar& p = *doc.Par(par);
    TMemory control;
    AppendFormatControl(control, fcShapeAnchor, handle);
    p.Stream.InsertBuffer(control.Data, 0, control.Size);
    const std::uint8_t ch = ControlCharCode(fcShapeAnchor, handle);
    p.Chars.InsertBuffer(&ch, 0, 1);
    p.Changed();
    return shape;
}

// The model with what the text does not show of the shapes: their
// properties, stacking, pictures and the selection. Shapes are listed in the
// order the test made them, because restacking sorts the document's list.
std::string Snapshot(const TDoc& doc, const std::vector<TShape*>& shapes) {
    std::string out = TestSupport::DocumentBytes(doc);
    for (const TShape* s : shapes) {
        std::string rtf;
        s->Props.ToRtf(rtf);
        const TRect& r = s->Props.PosRect;
        out += std::to_string(s->ZOrder()) + "|" + std::to_string(s->Props.WrapKind) + "|" +
               std::to_string(s->ShapeFlags & sfShapeDeleted) + "|" + std::to_string(r.Left) + "," +
               std::to_string(r.Top) + "," + std::to_string(r.Right) + "," + std::to_string(r.Bottom) + "|" + rtf +
               "|" + s->Picture.Data + "|" + (s->Graphic != nullptr ? s->Graphic->Bytes() : std::string("-")) + "\n";
    }
    for (std::int32_t i = 0; i < doc.SelectedShapes.Count; ++i)
        for (std::size_t k = 0; k < shapes.size(); ++k)
            if (doc.SelectedShapes.At<TShape>(i) == shapes[k])
                out += "selected " + std::to_string(k) + "\n";
    return out;
}

// Undoes and redoes the last operation twice, comparing with the snapshots
// taken before and after it.
void ExpectUndoRedo(TDoc& doc,
                    const std::vector<TShape*>& shapes,
                    const std::string& before,
                    const std::string& after) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        doc.Undo(false);
        EXPECT_EQ(Snapshot(doc, shapes), before);
        doc.Redo();
        EXPECT_EQ(Snapshot(doc, shapes), after);
    }
}

// Runs a step as the only one of a committed operation.
void RunStep(TDoc& doc, TSubOperation* step) {
    auto* op = new TOperation(&doc, 0);
    doc.BeginOperation(op);
    step->Execute();
    doc.EndOperation();
    doc.CommitOperation(op);
}

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

// A white PNG picture of w x h pixels.
std::string PngFile(std::int32_t w, std::int32_t h) {
    TPNGImage png;
    png.SetPixelFormat(pf24bit);
    png.SetSize(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        std::fill_n(png.ScanLine(y), 3 * w, std::uint8_t{0xFF});
    TMemoryStream stream;
    png.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

// A PNG picture of 16 x 16 pixels in n distinct colours (n at most 64).
std::string PngOfColours(std::int32_t n) {
    TPNGImage png;
    png.SetPixelFormat(pf24bit);
    png.SetSize(16, 16);
    for (std::int32_t y = 0; y < 16; ++y) {
        std::uint8_t* row = png.ScanLine(y);
        for (std::int32_t x = 0; x < 16; ++x) {
            const auto i = static_cast<std::uint8_t>((x + 16 * y) % n);
            row[3 * x] = static_cast<std::uint8_t>(4 * i);
            row[3 * x + 1] = static_cast<std::uint8_t>(255 - 4 * i);
            row[3 * x + 2] = static_cast<std::uint8_t>(128 + i);
        }
    }
    TMemoryStream stream;
    png.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

// Gives shape a picture of n colours, read from its bytes as a reader does.
void GivePicture(TShape& shape, std::int32_t n) {
    shape.Picture.Kind = pkPng;
    shape.Picture.Data = PngOfColours(n);
    shape.Picture.GoalWidth = shape.Picture.GoalHeight = 240;
    shape.Graphic.reset();
}

class ShapeOperationsTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

// Runs opFormatPicture on one shape with the values given.
void FormatOne(TDoc& doc, TShape* shape, std::uint8_t action, const TPictureValues& values) {
    TList selected;
    selected.Add(shape);
    doc.PerformOperation(TFormatPictureArgs{&selected, action, &values});
}

// The new properties of shape with another wrap kind.
TPictureValues WithWrap(const TShape& shape, std::int32_t wrap) {
    TPictureValues values;
    values.Props = {shape.Props};
    values.Props[0].WrapKind = wrap;
    return values;
}

TEST_F(ShapeOperationsTest, EveryShapeStepUndoesAndRedoesByteForByte) {
    using TMake = std::function<TSubOperation*(TDoc&, const std::vector<TShape*>&)>;
    // Steps a worker records: the whole operation is undone and redone.
    using TPerform = std::function<void(TDoc&, const std::vector<TShape*>&)>;
    struct Case {
        const char* Name;
        TMake Make;
        TPerform Perform = nullptr;
        // Readies the shapes before the model is taken.
        std::function<void(const std::vector<TShape*>&)> Prepare = nullptr;
    };
    const Case cases[] = {
        {"new properties",
         [](TDoc& doc, const std::vector<TShape*>& s) -> TSubOperation* {
             TShapeProps props = s[1]->Props;
             props.WrapKind = swTight;
             props.AddWrapPolygonPoint({0, 0});
             props.AddWrapPolygonPoint({21600, 0});
             props.AddWrapPolygonPoint({0, 21600});
             props.PosRect = {100, 200, 1540, 1640};
             return new TFormatShapeOperation(&doc, s[1], props);
         }},
        {"a new picture",
         [](TDoc& doc, const std::vector<TShape*>& s) -> TSubOperation* {
             TShapePicture picture = s[0]->Picture;
             picture.Data = "new picture bytes";
             return new TChangeShapeGraphicOperation(&doc, s[0], picture, TDocGraphic::FromBytes(Bytes(picture.Data)));
         }},
        {"a picture taken away",
         [](TDoc& doc, const std::vector<TShape*>& s) -> TSubOperation* {
             return new TChangeShapeGraphicOperation(&doc, s[0], TShapePicture{}, nullptr);
         }},
        {"the selected shapes",
         [](TDoc& doc, const std::vector<TShape*>& s) -> TSubOperation* {
             TList selection;
             selection.Add(s[2]);
             selection.Add(s[0]);
             return new TSelShapesOperation(&doc, selection);
         }},
        {"bottom shape to the top",
         [](TDoc& doc, const std::vector<TShape*>& s) -> TSubOperation* {
             return new TChangeShapeZOrderOperation(&doc, s[0], 2);
         }},
        {"top shape to the bottom",
         [](TDoc& doc, const std::vector<TShape*>& s) -> TSubOperation* {
             return new TChangeShapeZOrderOperation(&doc, s[2], 0);
         }},
        {"middle shape out of the stacking order",
         [](TDoc& doc, const std::vector<TShape*>& s) -> TSubOperation* {
             return new TRemoveShapeFromZOrderOperation(&doc, s[1]);
         }},
        {"a floating shape made inline", nullptr,
         [](TDoc& doc, const std::vector<TShape*>& s) {
             FormatOne(doc, s[1], paProperties, WithWrap(*s[1], swInline));
         }},
        {"an inline shape made floating", nullptr,
         [](TDoc& doc, const std::vector<TShape*>& s) {
             FormatOne(doc, s[1], paProperties, WithWrap(*s[1], swSquare));
         },
         [](const std::vector<TShape*>& s) {
             s[1]->Props.WrapKind = swInline;
             s[1]->Props.NaturalWidth = s[1]->Props.NaturalHeight = 1440;
         }},
        {"a picture's colours reduced", nullptr,
         [](TDoc& doc, const std::vector<TShape*>&) { doc.PerformOperation(TProcessPicturesArgs{1}); }},
        {"a shape dropped in another paragraph", nullptr,
         [](TDoc& doc, const std::vector<TShape*>& s) {
             TPictureValues values;
             values.Anchors = {{2, 3}};
             FormatOne(doc, s[0], paDropped, values);
         }},
        {"a shape dropped later in its paragraph", nullptr,
         [](TDoc& doc, const std::vector<TShape*>& s) {
             TPictureValues values;
             values.Anchors = {{1, 3}};
             FormatOne(doc, s[1], paDropped, values);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc", "def", "ghi"});
        TDoc& doc = ed.Doc();
        std::vector<TShape*> shapes;
        for (std::int32_t i = 0; i < 3; ++i)
            shapes.push_back(AnchorShape(doc, i, i));
        shapes[0]->Picture.Data = "old picture bytes";
        shapes[0]->Graphic = TDocGraphic::FromBytes(Bytes(shapes[0]->Picture.Data));
        GivePicture(*shapes[1], 32);
        shapes[1]->DocGraphic();
        doc.SelectedShapes.Add(shapes[1]);
        if (c.Prepare != nullptr)
            c.Prepare(shapes);

        const std::string before = Snapshot(doc, shapes);
        if (c.Make != nullptr)
            RunStep(doc, c.Make(doc, shapes));
        else
            c.Perform(doc, shapes);
        const std::string after = Snapshot(doc, shapes);
        EXPECT_NE(after, before);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        ExpectUndoRedo(doc, shapes, before, after);
    }
}

TEST_F(ShapeOperationsTest, RestackingKeepsTheSelectedShapesInTheirOrder) {
    // Shapes 0-4 stand in front of the text at z 0-4, shapes 5 and 6 behind
    // it at z 0 and 1.
    struct Case {
        const char* Name;
        std::int32_t Mode;
        std::vector<int> Selected;
        std::int32_t ZOrders[7];
    };
    const Case cases[] = {
        {"three brought forward", smBringForward, {1, 2, 3}, {0, 2, 3, 4, 1, 0, 1}},
        {"forward below the top selected one", smBringForward, {2, 4}, {0, 1, 3, 2, 4, 0, 1}},
        {"two sent backward", smSendBackward, {1, 2}, {2, 0, 1, 3, 4, 0, 1}},
        {"backward above the bottom selected one", smSendBackward, {0, 2}, {0, 2, 1, 3, 4, 0, 1}},
        {"two brought to the front", smBringToFront, {0, 1}, {3, 4, 0, 1, 2, 0, 1}},
        {"two sent to the back", smSendToBack, {3, 4}, {2, 3, 4, 0, 1, 0, 1}},
        {"each class stacks on its own", smBringToFront, {2, 5}, {0, 1, 4, 2, 3, 1, 0}},
        {"behind the text sent to the back", smSendToBack, {6}, {0, 1, 2, 3, 4, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc", "def", "ghi"});
        TDoc& doc = ed.Doc();
        std::vector<TShape*> shapes;
        for (std::int32_t i = 0; i < 5; ++i)
            shapes.push_back(AnchorShape(doc, i % 3, i));
        for (std::int32_t i = 0; i < 2; ++i)
            shapes.push_back(AnchorShape(doc, i, i, true));
        TList selected;
        for (int i : c.Selected)
            selected.Add(shapes[static_cast<std::size_t>(i)]);
        TPictureValues values;
        values.StackMode = c.Mode;

        const std::string before = Snapshot(doc, shapes);
        doc.PerformOperation(TFormatPictureArgs{&selected, paStacking, &values});
        for (std::size_t i = 0; i < shapes.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(shapes[i]->ZOrder(), c.ZOrders[i]);
        }
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        ExpectUndoRedo(doc, shapes, before, Snapshot(doc, shapes));
    }
}

TEST_F(ShapeOperationsTest, RestackingWithNowhereToGoRecordsNothing) {
    struct Case {
        const char* Name;
        std::int32_t Mode;
        int Selected;
    };
    const Case cases[] = {
        {"the top shape forward", smBringForward, 2},     {"the top shape to the front", smBringToFront, 2},
        {"the bottom shape backward", smSendBackward, 0}, {"the bottom shape to the back", smSendToBack, 0},
        {"an inline shape", smBringToFront, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc", "def", "ghi"});
        TDoc& doc = ed.Doc();
        std::vector<TShape*> shapes;
        for (std::int32_t i = 0; i < 3; ++i)
            shapes.push_back(AnchorShape(doc, i, i));
        shapes.push_back(AnchorShape(doc, 0, 0));
        shapes[3]->Props.WrapKind = swInline;
        TList selected;
        selected.Add(shapes[static_cast<std::size_t>(c.Selected)]);
        TPictureValues values;
        values.StackMode = c.Mode;
        const std::string before = Snapshot(doc, shapes);
        const std::int32_t undos = doc.UndoList.Count;
        doc.PerformOperation(TFormatPictureArgs{&selected, paStacking, &values});
        EXPECT_EQ(Snapshot(doc, shapes), before);
        EXPECT_EQ(doc.UndoList.Count, undos);
    }
}

TEST_F(ShapeOperationsTest, NewPropertiesFollowTheActionAndTheView) {
    struct Case {
        const char* Name;
        std::uint8_t Action;
        std::uint8_t ViewMode;
        std::function<void(TShape&, TPictureValues&)> Prepare;
        std::function<void(const TShape&)> Check;
        bool Changes;
    };
    const Case cases[] = {
        {"tight wrap keeps its polygon", paProperties, vmPrintLayout,
         [](TShape& s, TPictureValues& v) {
             TShapeProps p = s.Props;
             p.WrapKind = swTight;
             p.AddWrapPolygonPoint({0, 0});
             p.AddWrapPolygonPoint({21600, 21600});
             v.Props = {p};
         },
         [](const TShape& s) {
             EXPECT_EQ(s.Props.WrapKind, swTight);
             EXPECT_EQ(s.Props.WrapPolygon.size(), 2u);
         },
         true},
        {"square wrap drops the polygon", paProperties, vmPrintLayout,
         [](TShape& s, TPictureValues& v) {
             TShapeProps p = s.Props;
             p.WrapKind = swTopAndBottom;
             p.AddWrapPolygonPoint({0, 0});
             v.Props = {p};
         },
         [](const TShape& s) {
             EXPECT_EQ(s.Props.WrapKind, swTopAndBottom);
             EXPECT_TRUE(s.Props.WrapPolygon.empty());
         },
         true},
        {"a floating shape goes inline, sized as it was placed", paProperties, vmPrintLayout,
         [](TShape& s, TPictureValues& v) {
             // An inch square picture.
             s.Picture.Kind = pkPng;
             s.Picture.PixelWidth = s.Picture.PixelHeight = 96;
             s.Props.PosRect = {100, 200, 1540, 920};
             s.Props.SetProp(spPosH, 2);
             s.Props.SetProp(spLockAspectRatio, 1);
             TShapeProps p = s.Props;
             p.WrapKind = swInline;
             v.Props = {p};
         },
         [](const TShape& s) {
             EXPECT_FALSE(s.IsFloating());
             EXPECT_FALSE(s.Props.HasPosRect());
             EXPECT_FALSE(s.Props.HasProp(spPosH));
             EXPECT_EQ(s.Props.GetProp(spLockAspectRatio), 1);
             // Shown 1440 by 720 twips.
             EXPECT_EQ(s.Props.NaturalWidth, 1440);
             EXPECT_EQ(s.Props.ScaleX, 100);
             EXPECT_EQ(s.Props.ScaleY, 50);
         },
         true},
        {"an inline picture floats where it stood, on top", paProperties, vmPrintLayout,
         [](TShape& s, TPictureValues& v) {
             s.Props.WrapKind = swInline;
             s.Props.NaturalWidth = 2880;
             s.Props.NaturalHeight = 1440;
             s.Props.ScaleX = s.Props.ScaleY = 50;
             s.AnchorPar->Format.Alignment = 1;
             TShapeProps p = s.Props;
             p.WrapKind = swTight;
             v.Props = {p};
         },
         [](const TShape& s) {
             EXPECT_EQ(s.Props.WrapKind, swTight);
             // Not laid out: the start of the line, its top on the line's.
             EXPECT_EQ(s.Props.PosRect.Left, 0);
             EXPECT_EQ(s.Props.PosRect.Top, 0);
             EXPECT_EQ(s.Props.PosRect.Width(), 1440);
             EXPECT_EQ(s.Props.PosRect.Height(), 720);
             EXPECT_EQ(s.Props.GetProp(spPosH), 2);
             EXPECT_EQ(s.Props.GetProp(spPosRelV), 2);
             EXPECT_EQ(s.ZOrder(), 1);
         },
         true},
        {"a floating shape whose new properties place it keeps that place", paProperties, vmPrintLayout,
         [](TShape& s, TPictureValues& v) {
             s.Props.WrapKind = swInline;
             TShapeProps p = s.Props;
             p.WrapKind = swSquare;
             p.PosRect = {300, 400, 1740, 1840};
             v.Props = {p};
         },
         [](const TShape& s) {
             EXPECT_EQ(s.Props.PosRect.Left, 300);
             EXPECT_EQ(s.Props.PosRect.Bottom, 1840);
         },
         true},
        {"a picture in a header floats", paProperties, vmPrintLayout,
         [](TShape& s, TPictureValues& v) {
             s.Props.WrapKind = swInline;
             s.Story = stHeadersFooters;
             TShapeProps p = s.Props;
             p.WrapKind = swSquare;
             v.Props = {p};
         },
         [](const TShape& s) { EXPECT_EQ(s.Props.WrapKind, swSquare); }, true},
        {"a picture in a footnote stays inline", paProperties, vmPrintLayout,
         [](TShape& s, TPictureValues& v) {
             s.Props.WrapKind = swInline;
             s.Story = stFootnotes;
             TShapeProps p = s.Props;
             p.WrapKind = swSquare;
             v.Props = {p};
         },
         [](const TShape& s) { EXPECT_EQ(s.Props.WrapKind, swInline); }, false},
        {"moved in print layout: placed absolutely", paMoved, vmPrintLayout,
         [](TShape& s, TPictureValues&) {
             s.Props.SetProp(spPosH, 2);
             s.Props.SetProp(spPosV, 3);
         },
         [](const TShape& s) {
             EXPECT_EQ(s.Props.GetProp(spPosH), 0);
             EXPECT_EQ(s.Props.GetProp(spPosV), 0);
         },
         true},
        {"moved in draft: the snapped alignment, at the top", paMoved, vmDraft,
         [](TShape& s, TPictureValues& v) {
             s.Props.PosRect = {100, 500, 1540, 1940};
             v.PosH = 3;
         },
         [](const TShape& s) {
             EXPECT_EQ(s.Props.GetProp(spPosH), 3);
             EXPECT_EQ(s.Props.PosRect.Top, 0);
             EXPECT_EQ(s.Props.PosRect.Bottom, 1440);
         },
         true},
        {"resized in draft: aligned left unless centred or right", paResized, vmDraftWrapped,
         [](TShape& s, TPictureValues&) {
             s.Props.PosRect = {100, 500, 1540, 1940};
         },
         [](const TShape& s) {
             EXPECT_EQ(s.Props.GetProp(spPosH), 1);
             EXPECT_EQ(s.Props.PosRect.Top, 0);
         },
         true},
        {"resized in print layout: aligned sides take the laid-out size", paResized, vmPrintLayout,
         [](TShape& s, TPictureValues&) {
             s.Props.PosRect = {100, 500, 1540, 1940};
             s.Props.SetProp(spPosH, 2);
             s.Rect = {3000, 3000, 5000, 6000};
         },
         [](const TShape& s) {
             EXPECT_EQ(s.Props.PosRect.Right, 2100);
             EXPECT_EQ(s.Props.PosRect.Bottom, 1940);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc", "def"});
        TDoc& doc = ed.Doc();
        // Another floating shape at z 0: a shape made floating goes above it.
        AnchorShape(doc, 0, 0);
        std::vector<TShape*> shapes{AnchorShape(doc, 1, 0)};
        TPictureValues values;
        c.Prepare(*shapes[0], values);
        doc.ViewMode = c.ViewMode;
        TList selected;
        selected.Add(shapes[0]);

        const std::string before = Snapshot(doc, shapes);
        const std::int32_t undos = doc.UndoList.Count;
        doc.PerformOperation(TFormatPictureArgs{&selected, c.Action, &values});
        c.Check(*shapes[0]);
        const std::string after = Snapshot(doc, shapes);
        EXPECT_EQ(after != before, c.Changes);
        EXPECT_EQ(doc.UndoList.Count, undos + (c.Changes ? 1 : 0));
        if (c.Changes)
            ExpectUndoRedo(doc, shapes, before, after);
    }
}

TEST_F(ShapeOperationsTest, ADroppedShapeMovesItsAnchorWithinItsStory) {
    struct Case {
        const char* Name;
        TTextPos To;
        TTextPos Expected;  // where the anchor character ends up
        bool Changes;
    };
    // The shape's anchor is the first character of "xabc" (paragraph 1);
    // paragraph 2 ends the main story, "^" a footnote whose text is in
    // paragraph 3.
    const Case cases[] = {
        {"to another paragraph", {0, 2}, {0, 2}, true},
        {"later in its paragraph", {1, 3}, {1, 2}, true},
        {"to the end of its paragraph", {1, 4}, {1, 3}, true},
        {"onto its own place", {1, 1}, {1, 0}, false},
        {"into a footnote", {3, 1}, {1, 0}, false},
        {"beyond the text", {9, 0}, {1, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc", "abc", "de^"});
        TDoc& doc = ed.Doc();
        std::vector<TShape*> shapes{AnchorShape(doc, 1, 0)};
        TPictureValues values;
        values.Anchors = {c.To};
        const std::string before = Snapshot(doc, shapes);
        const std::int32_t undos = doc.UndoList.Count;
        FormatOne(doc, shapes[0], paDropped, values);
        EXPECT_EQ(doc.ShapeAt(c.Expected), shapes[0]);
        EXPECT_EQ(doc.UndoList.Count, undos + (c.Changes ? 1 : 0));
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        if (c.Changes)
            ExpectUndoRedo(doc, shapes, before, Snapshot(doc, shapes));
        // The shape is never held as deleted, and its anchor is where layout
        // finds it once it reads the paragraph.
        EXPECT_EQ(shapes[0]->ShapeFlags & sfShapeDeleted, 0);
        doc.Par(c.Expected.Par)->Normalize();
        EXPECT_EQ(shapes[0]->AnchorPar, doc.Par(c.Expected.Par));
        EXPECT_EQ(shapes[0]->AnchorOffset, c.Expected.Offset);
    }
}

TEST_F(ShapeOperationsTest, ReducingColoursReplacesOnlyRicherPictures) {
    struct Case {
        const char* Name;
        std::int32_t Colours;  // of the picture
        std::uint8_t Kind;     // at most 2^(Kind + 1) colours asked for
        bool Changes;
    };
    const Case cases[] = {
        {"many colours to two", 40, 0, true},        {"many colours to sixteen", 40, 3, true},
        {"exactly as many as asked", 4, 1, false},   {"fewer than asked", 3, 7, false},
        {"a kind beyond 256 colours", 40, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc"});
        TDoc& doc = ed.Doc();
        std::vector<TShape*> shapes{AnchorShape(doc, 0, 0)};
        GivePicture(*shapes[0], c.Colours);
        shapes[0]->DocGraphic();
        doc.SelectedShapes.Add(shapes[0]);
        const std::string before = Snapshot(doc, shapes);
        const std::int32_t undos = doc.UndoList.Count;
        doc.PerformOperation(TProcessPicturesArgs{c.Kind});
        EXPECT_EQ(doc.UndoList.Count, undos + (c.Changes ? 1 : 0));
        const std::string after = Snapshot(doc, shapes);
        EXPECT_EQ(after != before, c.Changes);
        if (!c.Changes)
            continue;
        TDocGraphic& picture = shapes[0]->DocGraphic();
        EXPECT_EQ(picture.Kind(), TGraphicKind::Png);
        EXPECT_EQ(picture.PixelWidth(), 16);
        EXPECT_LE(picture.CountColours(), 2 << c.Kind);
        EXPECT_EQ(shapes[0]->Picture.GoalWidth, 240);
        EXPECT_EQ(shapes[0]->Picture.Data, picture.Bytes());
        ExpectUndoRedo(doc, shapes, before, after);
    }
}

TEST_F(ShapeOperationsTest, TopOfTheStackCountsOnlyLiveFloatingShapesOfTheClass) {
    TEditDoc ed({"abc", "def"});
    TDoc& doc = ed.Doc();
    EXPECT_EQ(NextZOrder(doc, false), 0);
    TShape* a = AnchorShape(doc, 0, 0);
    TShape* b = AnchorShape(doc, 1, 4);
    TShape* behind = AnchorShape(doc, 1, 7, true);
    EXPECT_EQ(NextZOrder(doc, false), 5);
    EXPECT_EQ(NextZOrder(doc, true), 8);
    EXPECT_EQ(NextZOrder(doc, false, b), 1);
    b->ShapeFlags |= sfShapeDeleted;
    EXPECT_EQ(NextZOrder(doc, false), 1);
    b->ShapeFlags = 0;
    b->Props.WrapKind = swInline;
    EXPECT_EQ(NextZOrder(doc, false), 1);

    TShape* fresh = new TShape(&doc);
    fresh->Props.WrapKind = swSquare;
    fresh->SetZOrder(0);
    doc.Shapes.Add(fresh);
    PlaceShapeOnTop(doc, *fresh);
    EXPECT_EQ(fresh->ZOrder(), 1);
    EXPECT_EQ(a->ZOrder(), 0);
    EXPECT_EQ(behind->ZOrder(), 7);
}

TEST_F(ShapeOperationsTest, ACloneKeepsItsPictureWhenTheSourceGoes) {
    TEditDoc ed({"abc"});
    TDoc& doc = ed.Doc();
    TShape* source = AnchorShape(doc, 0, 0);
    source->Props.SetProp(spPosH, 2);
    source->Picture.Data = "picture bytes of the source";
    source->Graphic = TDocGraphic::FromBytes(Bytes(source->Picture.Data));

    TShape* clone = CloneShape(doc, *source);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(doc.Shapes.IndexOf(clone), doc.Shapes.Count - 1);
    EXPECT_TRUE(clone->Props == source->Props);
    ASSERT_NE(clone->Graphic, nullptr);
    EXPECT_NE(clone->Graphic->FileName(), source->Graphic->FileName());
    doc.DeleteShape(source);
    EXPECT_EQ(clone->Picture.Data, "picture bytes of the source");
    EXPECT_EQ(clone->Graphic->Bytes(), "picture bytes of the source");
}

TEST_F(ShapeOperationsTest, TheLeastRecentlyUsedLoadedPictureGoesFirst) {
    TEditDoc ed({"abc", "def"});
    TDoc& doc = ed.Doc();
    TShape* shapes[3];
    for (std::int32_t i = 0; i < 3; ++i) {
        shapes[i] = AnchorShape(doc, i % 2, i);
        shapes[i]->Picture.Data = PngFile(20 + i, 10);
        shapes[i]->Graphic = TDocGraphic::FromBytes(Bytes(shapes[i]->Picture.Data));
        shapes[i]->Graphic->SetSwapped(false);
        ASSERT_TRUE(shapes[i]->Graphic->Loaded());
    }
    TShape* unloaded = AnchorShape(doc, 0, 3);
    unloaded->Picture.Data = PngFile(8, 8);
    unloaded->Graphic = TDocGraphic::FromBytes(Bytes(unloaded->Picture.Data));

    // Using the oldest again makes the next one the oldest.
    shapes[0]->Graphic->SetSwapped(false);
    EXPECT_EQ(LeastRecentlyUsedPicture(doc, nullptr), shapes[1]);
    EXPECT_EQ(LeastRecentlyUsedPicture(doc, shapes[1]), shapes[2]);

    // Only a loaded picture counts against the total when its shape goes.
    const std::int64_t total = TDocGraphic::TotalLoadedBytes();
    const std::int64_t counted = shapes[1]->Graphic->LoadedBytes();
    EXPECT_GT(counted, 0);
    doc.DeleteShape(shapes[1]);
    EXPECT_EQ(TDocGraphic::TotalLoadedBytes(), total - counted);
    doc.DeleteShape(unloaded);
    EXPECT_EQ(TDocGraphic::TotalLoadedBytes(), total - counted);
    EXPECT_EQ(LeastRecentlyUsedPicture(doc, nullptr), shapes[2]);
    shapes[2]->Graphic->SetSwapped(true);
    EXPECT_EQ(LeastRecentlyUsedPicture(doc, nullptr), shapes[0]);
    EXPECT_EQ(LeastRecentlyUsedPicture(doc, shapes[0]), nullptr);
}

}  // namespace
