#include "base/core/TReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/core/ClassRegistry.h"
#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "platform/Resources.h"
#include "support/TestComponents.h"
#include "support/TestSupport.h"

namespace {

using namespace TestSupport;

// Pieces of hand-made form resources, for the cases the form compiler never
// writes.
std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}
std::string S(const std::string& s) {
    return static_cast<char>(s.size()) + s;
}
std::string Int8(int v) {
    return B({vaInt8, v & 0xFF});
}
std::string Ident(const std::string& s) {
    return B({vaIdent}) + S(s);
}
std::string Text(const std::string& s) {
    return B({vaString}) + S(s);
}
// A root of class TTestForm named Form with the given properties and
// children.
std::string Form(const std::string& props, const std::string& children = "") {
    return "TPF0" + S("TTestForm") + S("Form") + props + B({0}) + children + B({0});
}
std::string Child(const std::string& cls, const std::string& name, const std::string& props, int flags = 0) {
    return (flags != 0 ? B({0xF0 | flags}) : std::string()) + S(cls) + S(name) + props + B({0, 0});
}

class TReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestComponentClasses();
        UseTestResources();
        ComponentLog().clear();
    }

    // Reads bytes into a new form; Failed and the error are kept.
    TComponent* Read(const std::string& bytes, TComponent* root = nullptr) {
        TMemoryStream stream;
        stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.SeekTo(0);
        TReader reader(stream, 4096);
        TComponent* result = reader.ReadForm(root);
        Failed = reader.Failed();
        Error = reader.ErrorText();
        ErrorOffset = reader.ErrorOffset();
        Result = reader.ReadResult();
        return result;
    }

    std::unique_ptr<TTestForm> ReadForm(const std::string& bytes) {
        auto form = std::make_unique<TTestForm>(nullptr);
        Read(bytes, form.get());
        return form;
    }

    bool Failed = false;
    std::string Error;
    std::int64_t ErrorOffset = 0;
    TReadResult Result;
};

TEST_F(TReaderTest, ReadsTheTestFormIntoItsComponents) {
    TTestForm form(nullptr);
    ASSERT_TRUE(LoadFormResources(&form, nullptr));
    EXPECT_EQ(form.Name, "TestForm");
    EXPECT_EQ(form.Caption, "Test form");
    EXPECT_EQ(form.Left, 100);
    EXPECT_EQ(form.Top, -200);
    EXPECT_EQ(form.Width, 70000);
    EXPECT_EQ(form.WidthSets, 1);  // through its setter
    // "Font.Style" sets exactly the two named bits of the sub-object's set.
    EXPECT_EQ(form.Font->Style, (1u << fsBold) | (1u << fsUnderline));
    EXPECT_EQ(form.Font->Name, "Liberation Sans");
    EXPECT_EQ(form.Font->Size, 8);

    ASSERT_NE(form.TitleLabel, nullptr);
    ASSERT_NE(form.ListBox, nullptr);
    ASSERT_NE(form.OkButton, nullptr);
    EXPECT_EQ(form.TitleLabel->Caption, "Name:\tx");
    EXPECT_EQ(form.TitleLabel->Align, TTestAlign::alTop);
    // Declared further down, found all the same.
    EXPECT_EQ(form.TitleLabel->FocusControl, form.ListBox);
    ASSERT_EQ(form.ListBox->Items->Count, 3);
    EXPECT_EQ(form.ListBox->Items->GetText(), "One\r\nTwo\r\nThree");
    EXPECT_TRUE(form.OkButton->Default);
    EXPECT_FALSE(form.OkButton->Visible);
    EXPECT_EQ(form.OkButton->Accel, 'O');

    // The event runs the form's handler on the form.
    form.OkButton->OnClick(form.OkButton);
    EXPECT_EQ(form.Clicks, 1);
    EXPECT_EQ(form.LastSender, form.OkButton);
    form.OkButton->OnKey(form.OkButton, 13);
    EXPECT_EQ(form.LastKey, 13);

    // Children belong to the form and hang off their parents.
    ASSERT_EQ(form.OwnedCount(), 4);
    TComponent* inner = form.FindComponent("Inner");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(static_cast<TTestControl*>(inner)->Parent, form.OkButton);
    EXPECT_EQ(static_cast<TTestControl*>(inner)->Tag, 5);
    EXPECT_EQ(form.Inner, nullptr);  // the field is of another class
    EXPECT_EQ(form.Children.size(), 3u);

    // Loading finished for all, the root first, then in reading order.
    EXPECT_EQ(ComponentLog(), (std::vector<std::string>{"TestForm:loaded", "TitleLabel:loaded", "ListBox:loaded",
                                                        "Inner:loaded", "OkButton:loaded"}));
    for (std::int32_t i = 0; i < form.OwnedCount(); ++i)
        EXPECT_EQ(form.OwnedComponent(i)->ComponentState, 0);
    EXPECT_EQ(form.ComponentState, 0);
}

TEST_F(TReaderTest, ADerivedFormReadsItsBaseFormsResourceFirst) {
    TTestDerivedForm form(nullptr);
    ASSERT_TRUE(LoadFormResources(&form, nullptr));
    EXPECT_EQ(form.Name, "DerivedForm");
    EXPECT_EQ(form.Caption, "Derived");
    EXPECT_EQ(form.Width, 300);  // from the base form only
    ASSERT_NE(form.BaseButton, nullptr);
    ASSERT_NE(form.ExtraLabel, nullptr);
    EXPECT_EQ(form.BaseButton->Caption, "Changed");
    EXPECT_EQ(form.BaseButton->Left, 10);
    form.BaseButton->OnClick(form.BaseButton);
    EXPECT_EQ(form.BaseClicks, 1);
    EXPECT_EQ(form.ExtraLabel->FocusControl, form.BaseButton);
    ASSERT_EQ(form.OwnedCount(), 2);
    EXPECT_EQ(form.OwnedComponent(0), form.BaseButton);
    // Loading finishes once for each component, after both resources.
    EXPECT_EQ(ComponentLog(),
              (std::vector<std::string>{"DerivedForm:loaded", "BaseButton:loaded", "ExtraLabel:loaded"}));
}

TEST_F(TReaderTest, AMissingResourceIsAClearError) {
    TTestControl plain(nullptr);  // no class in its chain has a layout
    EXPECT_FALSE(LoadFormResources(&plain, nullptr));
    TScriptedMessageBoxes boxes;
    EXPECT_THROW(RequireFormResources(&plain, nullptr), EAbort);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "The form resource of \"TTestControl\" is missing.");
}

// A damaged resource: cut short anywhere, it gives an error, never a crash,
// and a root the reader made is not handed back.
TEST_F(TReaderTest, AResourceCutShortAnywhereFails) {
    Platform::TResourceData data;
    ASSERT_TRUE(Platform::FindResourceData("FORM", "TTESTFORM", data));
    const std::string whole(reinterpret_cast<const char*>(data.Data), static_cast<std::size_t>(data.Size));
    for (std::size_t n = 0; n < whole.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Read(whole.substr(0, n)), nullptr);
        EXPECT_TRUE(Failed);
        EXPECT_EQ(Error, "the resource ends early");
    }
    TComponent* form = Read(whole);
    EXPECT_FALSE(Failed);
    delete form;
}

TEST_F(TReaderTest, DamageIsReportedWithWhatAndWhere) {
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Error;
        std::int64_t Offset;
    };
    std::string deep = B({vaList});
    for (int i = 0; i < 100; ++i)
        deep += B({vaList});
    // The offset is that of the first byte the reader could not accept.
    const Case cases[] = {
        {"signature", "TPF1" + S("TTestForm") + S("Form") + B({0, 0}), "it does not start with \"TPF0\"", 0},
        {"unknown type", Form(S("Mystery") + B({14})), "unknown value type 14", 27},  // the type byte
        {"class", Form("", Child("TNoSuchControl", "X", "")),
         "the class \"TNoSuchControl\" is not registered as a component class", 20},     // its name
        {"nesting", Form(S("Deep") + deep), "components or lists nest too deeply", 88},  // the 65th list
        {"long string", Form(S("Caption") + B({vaLString, 0xFF, 0xFF, 0, 0}) + "abc"),
         "a string is longer than the resource", 28},  // its length
        {"cut short", "TPF0" + S("TTestForm") + S("Form") + S("Caption") + B({vaString, 5}) + "ab",
         "the resource ends early", 31},  // the end
        {"class of the root", "TPF0" + S("TNoSuchForm") + S("Form") + B({0, 0}),
         "the class \"TNoSuchForm\" is not registered as a component class", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        // The resource names the class of the root only where no root is given.
        const bool rootGiven = c.Bytes.find("TTestForm") != std::string::npos;
        std::unique_ptr<TComponent> form(Read(c.Bytes, rootGiven ? new TTestForm(nullptr) : nullptr));
        EXPECT_TRUE(Failed);
        EXPECT_FALSE(Result.Good);
        EXPECT_EQ(Result.Reason, c.Error);
        EXPECT_EQ(Result.Offset, static_cast<std::uint64_t>(c.Offset));
        EXPECT_EQ(Error, c.Error);
        EXPECT_EQ(ErrorOffset, c.Offset);
    }
    // Through the stream, the user is told and the operation aborts.
    TScriptedMessageBoxes boxes;
    TMemoryStream stream;
    const std::string bad = Form(S("Mystery") + B({14}));
    stream.WriteExact(bad.data(), static_cast<std::int32_t>(bad.size()));
    stream.SeekTo(0);
    TTestForm form(nullptr);
    EXPECT_THROW(ReadComponentState(stream, &form), EAbort);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "A form resource is damaged: unknown value type 14 (at byte 27).");
}

TEST_F(TReaderTest, UnknownPropertiesAreSkippedWhateverTheirValue) {
    struct Case {
        const char* Name;
        std::string Value;
    };
    const Case cases[] = {
        {"end", B({vaNull})},
        {"list", B({vaList}) + Text("a") + B({vaList}) + Int8(1) + B({0}) + B({0})},
        {"int8", Int8(-1)},
        {"int16", B({vaInt16, 1, 2})},
        {"int32", B({vaInt32, 1, 2, 3, 4})},
        {"extended", B({vaExtended, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
        {"string", Text("skipped")},
        {"identifier", Ident("alTop")},
        {"false", B({vaFalse})},
        {"true", B({vaTrue})},
        {"binary", B({vaBinary, 3, 0, 0, 0, 1, 2, 3})},
        {"set", B({vaSet}) + S("fsBold") + S("fsItalic") + B({0})},
        {"long string", B({vaLString, 2, 0, 0, 0}) + "ab"},
        {"nil", B({vaNil})},
        {"top bit", B({0x80 | vaInt8, 7})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto form = ReadForm(Form(S("NoSuchProperty") + c.Value + S("Tag") + Int8(42)));
        EXPECT_FALSE(Failed) << Error;
        EXPECT_EQ(form->Tag, 42);
    }
}

TEST_F(TReaderTest, ValuesThatDoNotFitLeaveThePropertyAsItWas) {
    auto form = ReadForm(Form(
        // An integer given as an identifier is skipped.
        S("Left") + Ident("alTop") +
        // A name the enumeration lacks changes nothing.
        S("Align") + Ident("alNowhere") +
        // A string where an integer belongs, a number where a string does.
        S("Tag") + Text("x") + S("Caption") + Int8(3) +
        // A character must be a one-character string.
        S("Accel") + Text("xy") +
        // A set bit beyond the element enumeration, a path through something
        // that is not an object.
        S("Font.Style") + B({vaSet}) + S("fsItalic") + S("fsNoSuch") + B({0}) + S("Tag.Inner") + Int8(1) +
        // Items that are not a list keep the list, the next value still reads.
        S("Top") + B({vaInt16, 0x34, 0x12}) + S("Width") + B({vaInt32, 0x78, 0x56, 0x34, 0x12})));
    EXPECT_FALSE(Failed) << Error;
    EXPECT_EQ(form->Left, 1);
    EXPECT_EQ(form->Align, TTestAlign::alNone);
    EXPECT_EQ(form->Tag, 0);
    EXPECT_EQ(form->Caption, "");
    EXPECT_EQ(form->Accel, '\0');
    EXPECT_EQ(form->Font->Style, 1u << fsItalic);
    EXPECT_EQ(form->Top, 0x1234);
    EXPECT_EQ(form->Width, 0x12345678);

    auto list = ReadForm(
        Form("", Child("TTestListBox", "ListBox", S("Items.Strings") + Text("not a list") + S("Tag") + Int8(9))));
    EXPECT_FALSE(Failed) << Error;
    ASSERT_NE(list->ListBox, nullptr);
    EXPECT_EQ(list->ListBox->Items->Count, 0);
    EXPECT_EQ(list->ListBox->Tag, 9);
}

TEST_F(TReaderTest, EventsAndReferencesBindOnlyWhatFits) {
    auto form = ReadForm(Form("", Child("TTestButton", "OkButton",
                                        // A handler of another signature is refused; an unknown one
                                        // leaves the event alone.
                                        S("OnClick") + Ident("KeyPressed") + S("OnKey") + Ident("NoSuchHandler")) +
                                      Child("TTestLabel", "TitleLabel", S("FocusControl") + Ident("NoSuchComponent")) +
                                      Child("TTestLabel", "Second", S("FocusControl") + Ident("okbutton"))));
    EXPECT_FALSE(Failed) << Error;
    ASSERT_NE(form->OkButton, nullptr);
    EXPECT_FALSE(form->OkButton->OnClick);
    EXPECT_FALSE(form->OkButton->OnKey);
    EXPECT_EQ(form->TitleLabel->FocusControl, nullptr);
    auto* second = static_cast<TTestLabel*>(form->FindComponent("Second"));
    EXPECT_EQ(second->FocusControl, form->OkButton);

    // nil clears a reference and an event.
    TTestForm other(nullptr);
    auto* button = new TTestButton(&other);
    button->OnClick = TNotifyEvent::Bind<&TTestForm::OkClick>(&other);
    button->SetName("B");
    auto* label = new TTestLabel(&other);
    label->SetName("L");
    label->FocusControl = button;
    Read(Form("", Child("TTestButton", "B", S("OnClick") + B({vaNil}), 1) +
                      Child("TTestLabel", "L", S("FocusControl") + B({vaNil}), 1)),
         &other);
    EXPECT_FALSE(Failed) << Error;
    EXPECT_FALSE(button->OnClick);
    EXPECT_EQ(label->FocusControl, nullptr);
}

TEST_F(TReaderTest, AnInheritedComponentTheFormLacksIsPassedOver) {
    auto form = ReadForm(Form("", Child("TTestButton", "Missing", S("Caption") + Text("x"), 1) +
                                      Child("TTestButton", "OkButton", S("Caption") + Text("read"))));
    EXPECT_FALSE(Failed) << Error;
    ASSERT_NE(form->OkButton, nullptr);
    EXPECT_EQ(form->OkButton->Caption, "read");
    EXPECT_EQ(form->OwnedCount(), 1);
}

TEST_F(TReaderTest, TheStreamStandsRightAfterTheResource) {
    const std::string resource = Form(S("Tag") + Int8(1));
    const std::string bytes = resource + "trailing data";
    TMemoryStream stream;
    stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SeekTo(0);
    TTestForm form(nullptr);
    EXPECT_EQ(ReadComponentState(stream, &form), &form);
    EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(resource.size()));
    EXPECT_EQ(form.Tag, 1);
}

TEST_F(TReaderTest, ARootOfTheResourcesClassIsMadeWhenNoneIsGiven) {
    TComponent* root = Read(Form(S("Caption") + Text("made")));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->ClassType(), &TTestForm::ClassInfo);
    EXPECT_EQ(static_cast<TTestForm*>(root)->Caption, "made");
    EXPECT_EQ(root->Name, "Form");
    delete root;
}

}  // namespace
