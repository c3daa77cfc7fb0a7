#include "base/files/ShellLinks.h"

#include <gtest/gtest.h>

#include <string>

#include "base/files/PortablePaths.h"
#include "support/TestSupport.h"

namespace {

// Builds link files laid out as [MS-SHLLINK] describes them.
class TLinkBuilder {
public:
    explicit TLinkBuilder(std::uint32_t flags) : Flags(flags) {}

    static void U16(std::string& out, std::uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    }
    static void U32(std::string& out, std::uint32_t v) {
        U16(out, v & 0xFFFF);
        U16(out, v >> 16);
    }
    static std::string Header(std::uint32_t flags) {
        std::string h;
        U32(h, 0x4C);
        h += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
        U32(h, flags);
        h.append(76 - h.size(), '\0');
        return h;
    }
    // A LinkInfo with a local base path and, when given, a network share.
    static std::string LinkInfo(const std::string& localBase, const std::string& netName, const std::string& suffix) {
        const std::uint32_t header = 0x1C;
        std::string body;  // everything after the header
        std::uint32_t localOffset = 0, networkOffset = 0;
        std::uint32_t flags = 0;
        if (!localBase.empty()) {
            flags |= 1;
            localOffset = header + static_cast<std::uint32_t>(body.size());
            body += localBase + '\0';
        }
        if (!netName.empty()) {
            flags |= 2;
            networkOffset = header + static_cast<std::uint32_t>(body.size());
            std::string cnrl;
            U32(cnrl, 0x14 + static_cast<std::uint32_t>(netName.size()) + 1);
            U32(cnrl, 0);
            U32(cnrl, 0x14);
            U32(cnrl, 0);
            U32(cnrl, 0);
            cnrl += netName + '\0';
            body += cnrl;
        }
        const std::uint32_t suffixOffset = header + static_cast<std::uint32_t>(body.size());
        body += suffix + '\0';
        std::string info;
        U32(info, header + static_cast<std::uint32_t>(body.size()));
        U32(info, header);
        U32(info, flags);
        U32(info, 0);
        U32(info, localOffset);
        U32(info, networkOffset);
        U32(info, suffixOffset);
        return info + body;
    }
    static std::string WideString(const std::u16string& s) {
        std::string out;
        U16(out, static_cast<std::uint32_t>(s.size()));
        for (char16_t c : s)
            U16(out, c);
        return out;
    }
    std::uint32_t Flags;
};

TEST(ShellLinksTest, ReadsTargetsAndStrings) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string target;
        std::string arguments;
    };
    std::string idList;
    TLinkBuilder::U16(idList, 4);
    idList += "abcd";
    const Case cases[] = {
        {"local path with a suffix",
         TLinkBuilder::Header(0x2 | 0x80 | 0x20) + TLinkBuilder::LinkInfo("C:\\Docs\\", "", "a.rtf") +
             TLinkBuilder::WideString(u"/x \u00E9"),
         "C:\\Docs\\a.rtf", "/x \xC3\xA9"},
        {"network share preferred",
         TLinkBuilder::Header(0x1 | 0x2) + idList + TLinkBuilder::LinkInfo("Z:\\", "\\\\srv\\share", "dir\\b.doc"),
         "\\\\srv\\share\\dir\\b.doc", ""},
        {"ANSI strings",
         TLinkBuilder::Header(0x4 | 0x20) +
             std::string("\x03\x00"
                         "Caf",
                         5) +
             std::string("\x02\x00%x", 4),
         "", "%x"},
        {"no link info", TLinkBuilder::Header(0), "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TShellLink link;
        const TShellLinkResult result = ReadShellLink(c.bytes, link);
        EXPECT_EQ(result.Status, TShellLinkStatus::Ok);
        EXPECT_EQ(result.Offset, c.bytes.size());
        EXPECT_EQ(link.TargetPath, c.target);
        EXPECT_EQ(link.Arguments, c.arguments);
    }
}

TEST(ShellLinksTest, StopsAtBrokenFiles) {
    const std::string good = TLinkBuilder::Header(0x2 | 0x20) + TLinkBuilder::LinkInfo("C:\\", "", "x.txt") +
                             std::string(
                                 "\x04\x00"
                                 "args",
                                 6);
    struct Case {
        const char* name;
        std::string bytes;
        TShellLinkStatus status;
        std::size_t offset;  // of the header, or of the record that runs over
        const char* reason;
    };
    std::string wrongClsid = good;
    wrongClsid[5] = 0x15;
    std::string hugeInfo = good;
    hugeInfo[76] = '\xFF';
    hugeInfo[77] = '\xFF';
    std::string contradiction = good;
    contradiction[80] = '\x7F';  // the header is larger than the whole block
    const std::size_t stringsAt = good.size() - 6;
    const Case cases[] = {
        {"empty", "", TShellLinkStatus::TooShort, 0, "shorter than a link header"},
        {"short header", good.substr(0, 40), TShellLinkStatus::TooShort, 40, "shorter than a link header"},
        {"not a link", wrongClsid, TShellLinkStatus::NotALink, 0, "not a shell link"},
        {"link info larger than the file", hugeInfo, TShellLinkStatus::Truncated, 76, "runs past the end"},
        {"link info sizes contradict", contradiction, TShellLinkStatus::Truncated, 76, "contradict"},
        {"link info cut short", good.substr(0, 90), TShellLinkStatus::Truncated, 76, "cut short"},
        {"string cut short", good.substr(0, good.size() - 1), TShellLinkStatus::Truncated, stringsAt,
         "a string runs past the end"},
        {"string count cut short", good.substr(0, stringsAt + 1), TShellLinkStatus::Truncated, stringsAt,
         "a string runs past the end"},
        {"id list cut short", TLinkBuilder::Header(0x1) + "\x10", TShellLinkStatus::Truncated, 76,
         "item list runs past the end"},
        {"id list longer than the file",
         TLinkBuilder::Header(0x1) + std::string("\x10\x00"
                                                 "abc",
                                                 5),
         TShellLinkStatus::Truncated, 76, "item list runs past the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TShellLink link;
        const TShellLinkResult result = ReadShellLink(c.bytes, link);
        EXPECT_EQ(result.Status, c.status);
        EXPECT_EQ(result.Offset, c.offset);
        const TReadResult parsed = ParseShellLink(c.bytes, link);
        EXPECT_FALSE(parsed.Good);
        EXPECT_EQ(parsed.Offset, c.offset);
        EXPECT_NE(parsed.Reason.find(c.reason), std::string::npos) << parsed.Reason;
    }
    // Every prefix of a good file is read without reading past its end.
    for (std::size_t n = 0; n < good.size(); ++n) {
        TShellLink link;
        EXPECT_NE(ReadShellLink(good.substr(0, n), link).Status, TShellLinkStatus::Ok) << n;
    }
}

TEST(ShellLinksTest, ResolvingLinkFiles) {
    TestSupport::TTempDir dir;
    const std::string good = TLinkBuilder::Header(0x2) + TLinkBuilder::LinkInfo("C:\\Docs\\", "", "a.rtf");
    TestSupport::WriteFileBytes(dir.File("good.lnk"), good);
    TestSupport::WriteFileBytes(dir.File("broken.lnk"), good.substr(0, 90));
    TestSupport::WriteFileBytes(dir.File("portable.lnk"),
                                TLinkBuilder::Header(0x20 | 0x80) + TLinkBuilder::WideString(u"%%/Docs/x.rtf"));
    EXPECT_EQ(ResolveShellLink(dir.File("good.lnk")), "C:\\Docs\\a.rtf");
    EXPECT_EQ(ResolveShellLink(dir.File("broken.lnk")), dir.File("broken.lnk"));
    EXPECT_EQ(ResolveShellLink(dir.File("missing.lnk")), dir.File("missing.lnk"));
    EXPECT_EQ(ResolveShellLink(dir.File("portable.lnk")), FromPortablePath("%%/Docs/x.rtf"));
}

TEST(ShellLinksTest, LinkFileNames) {
    EXPECT_TRUE(IsShellLinkFile("a.lnk"));
    EXPECT_TRUE(IsShellLinkFile("/x/B.LNK"));
    EXPECT_FALSE(IsShellLinkFile("a.lnkx"));
    EXPECT_FALSE(IsShellLinkFile("lnk"));
}

}  // namespace
