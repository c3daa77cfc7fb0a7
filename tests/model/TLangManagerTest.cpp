#include "model/managers/TLangManager.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/files/TIniFile.h"
#include "support/TestSupport.h"

namespace {

class TStubSpellchecks : public TLanguageSpellchecks {
public:
    std::vector<std::int32_t> AvailableLanguages() const override { return Languages; }
    std::vector<std::int32_t> Languages;
};

std::vector<std::int32_t> History(const TLangManager& m) {
    std::vector<std::int32_t> ids;
    for (std::int32_t i = 0; i < m.HistoryCount(); ++i)
        ids.push_back(m.HistoryAt(i));
    return ids;
}

class TLangManagerTest : public ::testing::Test {
protected:
    void SetUp() override { SetLanguageSpellchecks(&Spellchecks); }
    void TearDown() override { SetLanguageSpellchecks(nullptr); }

    TLangManager::TReadInteger Reader() {
        return [this](std::string_view name, std::int32_t def) {
            const auto found = Stored.find(std::string(name));
            return found == Stored.end() ? def : found->second;
        };
    }

    TStubSpellchecks Spellchecks;
    std::map<std::string, std::int32_t> Stored;
};

TEST_F(TLangManagerTest, NamesOfLanguages) {
    TLangManager m;
    m.Load(Reader());
    EXPECT_EQ(m.LanguageName(1033), "English (United States)");
    EXPECT_EQ(m.LanguageName(0x407), "German (Germany)");
    EXPECT_EQ(m.LanguageName(1024), "<none>");
    EXPECT_EQ(m.LanguageName(static_cast<std::int32_t>(0x80000000u)), "<none>");
    EXPECT_EQ(m.LanguageName(0x7FFF), "<Another language (ID: 32767)>");
    EXPECT_EQ(m.LanguageName(1142).rfind("Latin", 0), 0u);
    ASSERT_GT(m.Names.Count, 100);
    for (std::int32_t i = 1; i < m.Names.Count; ++i)
        ASSERT_LE(m.Names.CompareStrings(m.Names.GetString(i - 1), m.Names.GetString(i)), 0) << i;
}

TEST_F(TLangManagerTest, HistoryKeepsEightMostRecentFirst) {
    TLangManager m;
    for (std::int32_t id = 1; id <= 9; ++id)
        m.AddToHistory(0x400 + id);
    EXPECT_EQ(History(m), (std::vector<std::int32_t>{0x409, 0x408, 0x407, 0x406, 0x405, 0x404, 0x403, 0x402}));
    m.AddToHistory(0x405);
    EXPECT_EQ(History(m), (std::vector<std::int32_t>{0x405, 0x409, 0x408, 0x407, 0x406, 0x404, 0x403, 0x402}));

    // Saved and read back in the same order.
    std::map<std::string, std::int32_t> written;
    m.SaveHistory([&](std::string_view name, std::int32_t value) { written[std::string(name)] = value; });
    EXPECT_EQ(written["Count"], 8);
    EXPECT_EQ(written["A"], 0x405);
    EXPECT_EQ(written["H"], 0x402);
    Stored = written;
    TLangManager back;
    back.Load(Reader());
    EXPECT_EQ(History(back), History(m));
}

TEST_F(TLangManagerTest, HistoryInTheSettingsFile) {
    TestSupport::TTempDir dir;
    TLangManager m;
    m.AddToHistory(0x407);
    m.AddToHistory(0x40C);
    {
        TIniFile ini(dir.File("s.ini"), true);
        m.SaveHistory(ini);
    }
    const std::string text = TestSupport::ReadFileBytes(dir.File("s.ini"));
    EXPECT_NE(text.find("[LangHistory]"), std::string::npos) << text;
    TIniFile ini(dir.File("s.ini"), false);
    TLangManager back;
    back.Load(ini);
    EXPECT_EQ(History(back), (std::vector<std::int32_t>{0x40C, 0x407}));
}

TEST_F(TLangManagerTest, FirstRunStartsWithTheSpellcheckers) {
    const std::int32_t ui = UserInterfaceLanguage();
    Spellchecks.Languages = {0x40C, 0x407};
    TLangManager m;
    m.Load(Reader());
    std::vector<std::int32_t> expected = {0x40C, 0x407};
    if (ui != 0x40C && ui != 0x407)
        expected.push_back(ui);
    EXPECT_EQ(History(m), expected);

    // Stored entries take the interface language where one is missing.
    Stored = {{"Count", 2}, {"A", 0x419}};
    TLangManager saved;
    saved.Load(Reader());
    EXPECT_EQ(History(saved), (std::vector<std::int32_t>{0x419, ui}));

    Stored = {{"Count", 99}};  // clamped to eight entries
    TLangManager clamped;
    clamped.Load(Reader());
    EXPECT_EQ(clamped.HistoryCount(), 1);  // eight reads of the same language
}

TEST(FindLanguageRecordTest, FirstMatchWithAPositiveCount) {
    const std::int32_t records[] = {0x407, 0, 0x409, 3, 0x407, 2, 0x40C, 5};
    EXPECT_EQ(FindLanguageRecord(records, 3, 0x407), 2);
    EXPECT_EQ(FindLanguageRecord(records, 1, 0x407), -1);
    EXPECT_EQ(FindLanguageRecord(records, 2, 0x40C), -1);
    EXPECT_EQ(FindLanguageRecord(records, 3, 0x40C), 3);
}

}  // namespace

#include "base/graphics/TCanvas.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "support/TestSupport.h"

namespace {

class TMarkedSpellchecks : public TLanguageSpellchecks {
public:
    bool HasSpellchecker(std::int32_t language) const override { return language == 0x407; }
};

// Draws entries on a white bitmap and reads its pixels back.
class DrawLanguageItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::UseFixtureFonts();
        Dc = Platform::CreateCompatibleDC(nullptr);
        Bitmap = Platform::CreateBitmap32(200, 20);
        Original = Platform::SelectBitmap(Dc, Bitmap);
        Canvas.SetHandle(Dc);
        Canvas.Brush->SetColor(0xFFFFFF);
        Canvas.Font->SetColor(0x000000);
        SetLanguageSpellchecks(&Spellchecks);
        Manager.Load([](std::string_view, std::int32_t def) { return def; });
    }
    void TearDown() override {
        SetLanguageSpellchecks(nullptr);
        SetSpellcheckMarkDrawer(nullptr);
        Canvas.SetHandle(nullptr);
        Platform::SelectBitmap(Dc, Original);
        Platform::DeleteBitmap(Bitmap);
        Platform::DeleteDC(Dc);
    }
    std::uint32_t Pixel(int x, int y) {
        Platform::TBitmapInfo info;
        Platform::GetBitmapInfo(Bitmap, info);
        return info.Bits[y * info.Width + x] & 0xFFFFFF;
    }
    int FirstInkColumn() {
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 16; ++y)
                if (Pixel(x, y) != 0xFFFFFF)
                    return x;
        return -1;
    }

    Platform::HDC Dc = nullptr;
    Platform::HBITMAP Bitmap = nullptr;
    Platform::HBITMAP Original = nullptr;
    TCanvas Canvas;
    TMarkedSpellchecks Spellchecks;
    TLangManager Manager;
};

TEST_F(DrawLanguageItemTest, NameMarkAndSeparator) {
    Manager.DrawLanguageItem(0x409, Canvas, true, {0, 0, 200, 20});
    const int plain = FirstInkColumn();
    EXPECT_GE(plain, 3);
    EXPECT_EQ(Pixel(100, 17), 0x000000u);  // the double line: rows Bottom-3 and Bottom-1
    EXPECT_EQ(Pixel(100, 18), 0xFFFFFFu);
    EXPECT_EQ(Pixel(100, 19), 0x000000u);

    // A language with a spellchecker gets its mark first, moving the name on.
    int markX = -1;
    SetSpellcheckMarkDrawer([&](TCanvas&, std::int32_t x, std::int32_t) {
        markX = x;
        return 10;
    });
    Canvas.Brush->SetColor(0xFFFFFF);
    Manager.DrawLanguageItem(0x407, Canvas, false, {0, 0, 200, 20});
    EXPECT_EQ(markX, 3);
    EXPECT_EQ(FirstInkColumn(), plain + 13);
    EXPECT_EQ(Pixel(100, 19), 0xFFFFFFu);  // no separator this time
}

}  // namespace
