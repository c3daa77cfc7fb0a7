// A smoke test of the clipboard on a real X server: another X program
// (xclip) reads what we copy and we read what it copies. It runs this test
// program again inside xvfb-run and skips when the tools are missing.
#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QProcess>

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Clipboard.h"
#include "platform/CodePages.h"

namespace {

using namespace Platform;

bool OnPath(const char* tool) {
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return false;
    std::string rest = path;
    std::size_t at = 0;
    while (at <= rest.size()) {
        std::size_t end = rest.find(':', at);
        if (end == std::string::npos)
            end = rest.size();
        const std::filesystem::path candidate = std::filesystem::path(rest.substr(at, end - at)) / tool;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        at = end + 1;
    }
    return false;
}

// Runs a process to its end while our own events are served, as xclip
// waits for us to answer its request for the clipboard.
QByteArray RunServing(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(5000))
        return "<did not start>";
    if (!input.isEmpty()) {
        p.write(input);
        p.closeWriteChannel();
    }
    QElapsedTimer timer;
    timer.start();
    while (p.state() != QProcess::NotRunning && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        p.waitForFinished(20);
    }
    return p.readAllStandardOutput();
}

std::vector<std::uint8_t> Wide(std::u16string_view s) {
    std::vector<std::uint8_t> out((s.size() + 1) * 2, 0);
    for (std::size_t i = 0; i < s.size(); ++i)
        StoreU16LE(out.data() + 2 * i, s[i]);
    return out;
}

TEST(XvfbClipboardTest, OtherXProgramsReadAndWriteOurClipboard) {
    if (std::getenv("REZ_XVFB_CHILD") != nullptr)
        GTEST_SKIP() << "the child runs the inner test";
    if (!OnPath("xvfb-run") || !OnPath("xclip"))
        GTEST_SKIP() << "xvfb-run or xclip is not installed";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command =
        "REZ_XVFB_CHILD=1 timeout 120 xvfb-run -a '" + self + "' --gtest_filter=XvfbClipboardChild.* > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "rerun with REZ_XVFB_CHILD=1 under xvfb-run to see the failure";
}

TEST(XvfbClipboardChild, TextRoundTripsThroughXclip) {
    if (std::getenv("REZ_XVFB_CHILD") == nullptr)
        GTEST_SKIP() << "runs only inside the virtual X server";
    // Ours to xclip, as UTF-8.
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, Wide(u"smoke \u00FC \u20AC")));
    const std::uint32_t rtf = RegisterClipboardFormat(u"Rich Text Format");
    ASSERT_TRUE(SetClipboardData(rtf, std::vector<std::uint8_t>{'{', '\\', 'r', 't', 'f', '1', '}'}));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(RunServing("xclip", {"-o", "-selection", "clipboard"}).toStdString(), "smoke \xC3\xBC \xE2\x82\xAC");
    EXPECT_EQ(RunServing("xclip", {"-o", "-selection", "clipboard", "-t", "text/rtf"}).toStdString(), "{\\rtf1}");

    // xclip's to ours: it keeps serving the selection in the background.
    RunServing("xclip", {"-i", "-selection", "clipboard", "-t", "text/html"}, "<p>from xclip</p>");
    std::optional<std::vector<std::uint8_t>> html;
    QElapsedTimer timer;
    timer.start();
    while (!html && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(OpenClipboard(nullptr));
        html = GetClipboardData(RegisterClipboardFormat(u"HTML Format"));
        ASSERT_TRUE(CloseClipboard());
    }
    ASSERT_TRUE(html.has_value());
    std::string decoded;
    const std::string data(html->begin(), html->end());
    ASSERT_TRUE(DecodeClipboardHtml(data.substr(0, data.find('\0')), decoded));
    EXPECT_EQ(decoded, "<p>from xclip</p>");
}

}  // namespace
