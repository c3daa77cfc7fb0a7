#include "base/files/Urls.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/messages/MessageBoxes.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;

TEST(UrlsTest, SplitUrl) {
    struct Case {
        const char* url;
        TURLComponents expected;
    };
    const Case cases[] = {
        {"http://www.example.com/a/b.htm;p?q=1#top", {"http", "www.example.com", "a/b.htm", "p", "q=1", "top", 1, 0}},
        {"  HTTPS://host  ", {"https", "host", "", "", "", "", 0, 0}},
        {"C:\\Docs\\a.rtf", {"C", "", "\\Docs\\a.rtf", "", "", "", 0, 0}},
        {"//server/share/x.doc", {"http", "server", "share/x.doc", "", "", "", 1, 0}},
        {"file:///C:/dir/a.doc", {"file", "C:", "dir/a.doc", "", "", "", 1, 1}},
        {"file:\\\\srv\\a b.txt", {"file", "srv", "a b.txt", "", "", "", 1, 1}},
        {"mailto:ann@example.com", {"mailto", "", "ann@example.com", "", "", "", 0, 0}},
        {"b/c.htm", {"", "", "b/c.htm", "", "", "", 0, 0}},
        {"/root.htm", {"", "", "root.htm", "", "", "", 1, 0}},
        {"#frag", {"", "", "", "", "", "frag", 0, 0}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        TURLComponents parts;
        parts.Host = "stale";
        SplitUrl(c.url, parts);
        EXPECT_EQ(parts.Scheme, c.expected.Scheme);
        EXPECT_EQ(parts.Host, c.expected.Host);
        EXPECT_EQ(parts.Path, c.expected.Path);
        EXPECT_EQ(parts.Params, c.expected.Params);
        EXPECT_EQ(parts.Query, c.expected.Query);
        EXPECT_EQ(parts.Fragment, c.expected.Fragment);
        EXPECT_EQ(parts.AbsolutePath, c.expected.AbsolutePath);
        EXPECT_EQ(parts.IsFile, c.expected.IsFile);
    }
}

TEST(UrlsTest, CombineUrl) {
    struct Case {
        const char* base;
        const char* url;
        const char* expected;
    };
    const Case cases[] = {
        {"http://h/b/c.htm", "../d.htm", "http://h/d.htm"},
        {"http://h/b/", "#frag", "http://h/b/#frag"},
        {"http://h/b/c.htm?x=1", "#f", "http://h/b/c.htm?x=1#f"},
        {"http://h/b/c.htm", "d.htm", "http://h/b/d.htm"},
        {"http://h/b/c.htm", "./d.htm", "http://h/b/d.htm"},
        {"http://h/a/b/c.htm", "../../x/./y.htm", "http://h/x/y.htm"},
        {"http://h/b/c.htm", "..", "http://h/"},
        {"http://h/b/c.htm", ".", "http://h/b/"},
        {"http://h/b/c.htm", "/abs.htm", "http://h/abs.htm"},
        {"http://h/b/c.htm", "//other/x", "//other/x"},  // taken as http: a scheme of its own
        {"http://h/b/c.htm", "ftp://f/y", "ftp://f/y"},
        {"http://h/b/c.htm", "../../../up.htm", "http://h/up.htm"},
        {"", "d.htm", "d.htm"},
        {"http://h/b/c.htm", "  ", "http://h/b/c.htm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.base) + " + " + c.url);
        TURLComponents parts;
        std::string result;
        CombineUrl(c.base, c.url, parts, result);
        EXPECT_EQ(result, c.expected);
    }
    TURLComponents parts;
    std::string result;
    CombineUrl("http://h/b/c.htm", "../d.htm", parts, result);
    EXPECT_EQ(parts.Host, "h");
    EXPECT_EQ(parts.Path, "d.htm");
}

TEST(UrlsTest, RecognisingAddresses) {
    struct Case {
        const char* text;
        bool looksLikeUrl;
    };
    const Case cases[] = {
        {"www.example.ab", true},
        {"WWW.x.yz", true},
        {"end.The", false},  // a sentence end, not an address
        {"example.com", true},
        {"example.Com", false},
        {"example.org/path", false},  // the ending is read after the last dot
        {"ann@example.xy", true},
        {"http://x.yz", true},
        {"http://x.y1", false},  // a dot needs two letters or a digit after it
        {"version 1.5", false},
        {"no dot here", false},
        {"", false},
        {"c:\\dir\\file.de", true},
        {"file.docx", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LooksLikeUrl(c.text), c.looksLikeUrl);
    }
    EXPECT_TRUE(HasDomainDot("a.1"));
    EXPECT_FALSE(HasDomainDot("a.b"));
    EXPECT_EQ(AddHttpPrefix("www.x.com"), "www.x.com");
    EXPECT_EQ(AddHttpPrefix("x.com"), "http://x.com");
    EXPECT_EQ(AddHttpPrefix("ftp://x.com"), "ftp://x.com");
}

TEST(UrlsTest, InternetShortcuts) {
    TestSupport::TTempDir dir;
    TestSupport::WriteFileBytes(dir.File("a.url"),
                                "[InternetShortcut]\r\nIDList=\r\nURL=http://x.com/?a=1\r\nURL=2\r\n");
    TestSupport::WriteFileBytes(dir.File("none.url"), "[InternetShortcut]\r\nurl=lower\r\n");
    EXPECT_EQ(ReadInternetShortcutUrl(dir.File("a.url")), "http://x.com/?a=1");
    EXPECT_EQ(ReadInternetShortcutUrl(dir.File("none.url")), "");
    EXPECT_EQ(ReadInternetShortcutUrl(dir.File("missing.url")), "");
    const std::string text = "x\nURL=mailto:a@b.c";
    EXPECT_EQ(ReadInternetShortcutUrl("", &text), "mailto:a@b.c");
}

class TRecordingHyperlinks : public THyperlinkHost {
public:
    bool Launch(const std::string& target) override {
        Launched.push_back(target);
        return LaunchWorks;
    }
    bool OpenLinkedDocumentsInProgram() const override { return InProgram; }
    bool OpenInProgram(const std::string& path) override {
        Opened.push_back(path);
        return true;
    }
    void CopyToClipboard(const std::string& text) override { Clipboard = text; }

    bool LaunchWorks = true;
    bool InProgram = false;
    std::vector<std::string> Launched;
    std::vector<std::string> Opened;
    std::string Clipboard;
};

class OpenHyperlinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetHyperlinkHost(&Host);
        ClearOptionalMessageAnswers();
    }
    void TearDown() override {
        SetHyperlinkHost(nullptr);
        ClearOptionalMessageAnswers();
    }
    TRecordingHyperlinks Host;
};

TEST_F(OpenHyperlinkTest, WebAndMailAddresses) {
    TScriptedMessageBoxes boxes;
    OpenHyperlink("  example.com ");
    OpenHyperlink("www.example.com");
    OpenHyperlink("ann@example.com");
    OpenHyperlink("MAILTO:bob@example.com");
    EXPECT_EQ(Host.Launched, (std::vector<std::string>{"http://example.com", "http://www.example.com",
                                                       "mailto:ann@example.com", "mailto:bob@example.com"}));
    EXPECT_TRUE(boxes.Shown().empty());

    Host.LaunchWorks = false;
    OpenHyperlink("example.com");
    EXPECT_EQ(Host.Clipboard, "http://example.com");
    OpenHyperlink("ann@example.com");
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_NE(boxes.Shown()[0].Text.find("Error launching Web browser."), std::string::npos);
    EXPECT_EQ(boxes.Shown()[1].Text, "Error launching mail client.");
}

TEST_F(OpenHyperlinkTest, FilesAskFirstUnlessHarmless) {
    struct Case {
        const char* target;
        bool asks;
    };
    const Case cases[] = {
        {"/tmp/picture.png", false}, {"/tmp/song.mp3", false}, {"/tmp/page.html", true}, {"/tmp/script.pl", true},
        {"/tmp/tool.sh", true},      {"/tmp/notes.txt", true}, {"/tmp/noext", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        Host.Launched.clear();
        TScriptedMessageBoxes boxes({mrNo});
        OpenHyperlink(c.target);
        EXPECT_EQ(boxes.Shown().size(), c.asks ? 1u : 0u);
        if (c.asks) {
            EXPECT_EQ(boxes.Shown()[0].DefaultButton, mbiNo);
            EXPECT_EQ(boxes.Shown()[0].OptionalMessage, 15);
        }
        EXPECT_EQ(Host.Launched.size(), c.asks ? 0u : 1u);  // No keeps it closed
    }
    TScriptedMessageBoxes boxes({mrYes});
    OpenHyperlink("/tmp/page.html");
    EXPECT_EQ(Host.Launched, (std::vector<std::string>{"/tmp/page.html"}));

    // With the option on, documents and pictures open in the program.
    Host.InProgram = true;
    OpenHyperlink("/tmp/report.DOCX");
    OpenHyperlink("/tmp/p.jpeg");
    EXPECT_EQ(Host.Opened, (std::vector<std::string>{"/tmp/report.DOCX", "/tmp/p.jpeg"}));

    Host.LaunchWorks = false;
    TScriptedMessageBoxes failing({mrYes});
    OpenHyperlink("/tmp/gone.odp");
    ASSERT_EQ(failing.Shown().size(), 2u);
    EXPECT_EQ(failing.Shown()[1].Text,
              "Unable to open \"/tmp/gone.odp\".\rHyperlink might be associated with an "
              "obsolete file.");
}

}  // namespace
