// A smoke test of windows on a real X server: this test program starts a
// virtual X server of its own, runs itself again inside it as a child with
// one window, clicks and types into that window with xdotool, reads the
// messages the child prints, and compares a screenshot of the window with a
// golden image. It skips when the tools are missing or no display comes up.
#include <QtCore/QElapsedTimer>
#include <QtCore/QProcess>
#include <QtCore/QProcessEnvironment>

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Windows.h"
#include "platform/qt/DesktopWindow.h"
#include "support/GoldenImages.h"

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
        if (access((std::filesystem::path(rest.substr(at, end - at)) / tool).c_str(), X_OK) == 0)
            return true;
        at = end + 1;
    }
    return false;
}

// ---------------------------------------------------------------- the child

// The picture: a white client with a blue and a red block, and a pane with
// a vertical scroll bar. Plain fills only, so that no font enters the image.
constexpr int kWidth = 200;
constexpr int kHeight = 120;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool g_done = false;

// A colour reference: red in the low byte.
constexpr TColorRef Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

LRESULT SmokeProc(HWND window, std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    char buffer[64];
    switch (m) {
        case WM_PAINT: {
            TPaintStruct ps;
            HDC dc = BeginPaint(window, ps);
            const bool pane = GetParent(window) != nullptr;
            TRect client;
            GetClientRect(window, client);
            HBRUSH back = CreateSolidBrush(pane ? Rgb(255, 255, 192) : Rgb(255, 255, 255));
            FillRect(dc, client, back);
            DeleteBrush(back);
            if (!pane) {
                HBRUSH blue = CreateSolidBrush(Rgb(0, 0, 255));
                HBRUSH red = CreateSolidBrush(Rgb(255, 0, 0));
                FillRect(dc, {10, 10, 90, 60}, blue);
                FillRect(dc, {20, 70, 60, 110}, red);
                DeleteBrush(blue);
                DeleteBrush(red);
            }
            EndPaint(window, ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
            std::snprintf(buffer, sizeof buffer, "TRACE WM_LBUTTONDOWN %d,%d", XFromLParam(lParam),
                          YFromLParam(lParam));
            Say(buffer);
            return 0;
        case WM_CHAR:
            if (wParam == 0x1B) {
                g_done = true;
                return 0;
            }
            std::snprintf(buffer, sizeof buffer, "TRACE WM_CHAR %02X", static_cast<unsigned>(wParam));
            Say(buffer);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN)
                Say("TRACE WM_KEYDOWN 0D");
            return 0;
        case WM_VSCROLL: {
            static const char* const kCodes[] = {"LINEUP",     "LINEDOWN", "PAGEUP", "PAGEDOWN", "THUMBPOSITION",
                                                 "THUMBTRACK", "TOP",      "BOTTOM", "ENDSCROLL"};
            const unsigned code = LoWord(wParam);
            Say(std::string("TRACE WM_VSCROLL ") + (code <= SB_ENDSCROLL ? kCodes[code] : "?"));
            return 0;
        }
        default:
            return DefWindowProc(window, m, wParam, lParam);
    }
}

void Serve(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms && !g_done) {
        TMsg msg;
        while (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(msg);
            DispatchMessage(msg);
        }
        WaitMessage(20);
    }
}

TEST(XvfbWindowChild, TakesInputAndShowsItsPicture) {
    if (std::getenv("REZ_XVFB_WINDOW_CHILD") == nullptr)
        GTEST_SKIP() << "runs only inside the virtual X server";
    TWndClass wc;
    wc.lpfnWndProc = &SmokeProc;
    wc.lpszClassName = u"SmokeWindow";
    ASSERT_NE(RegisterClass(wc), 0);
    HWND top = CreateWindowEx(0, u"SmokeWindow", u"RezSmoke", WS_OVERLAPPED | WS_VISIBLE, 20, 20, kWidth, kHeight,
                              nullptr, 0, nullptr);
    ASSERT_NE(top, nullptr);
    HWND pane =
        CreateWindowEx(0, u"SmokeWindow", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 100, 10, 80, 100, top, 1, nullptr);
    ASSERT_NE(pane, nullptr);
    TScrollInfo info;
    info.fMask = SIF_ALL;
    info.nMax = 99;
    info.nPage = 10;
    SetScrollInfo(pane, SB_VERT, info, true);
    SetFocus(top);
    // The server maps the window when it will; the paint that follows its
    // exposure is the one the screenshot must see.
    QElapsedTimer mapping;
    mapping.start();
    while (!DesktopWindowOf(top)->isExposed() && mapping.elapsed() < 10000)
        Serve(20);
    ASSERT_TRUE(DesktopWindowOf(top)->isExposed());
    Serve(500);
    TPoint origin{0, 0};
    ClientToScreen(top, origin);
    Say("READY " + std::to_string(origin.X) + " " + std::to_string(origin.Y));
    Serve(30000);
    Say(g_done ? "DONE" : "TIMEOUT");
}

// ---------------------------------------------------------------- the parent

// Kills what it started, however the test ends.
struct TProcesses {
    QProcess Server;
    QProcess Child;
    ~TProcesses() {
        for (QProcess* p : {&Child, &Server}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }
};

// A display number nobody uses: no lock file and no socket.
int FreeDisplay() {
    for (int n = 87; n < 400; ++n) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (!std::filesystem::exists(lock) && !std::filesystem::exists(socket))
            return n;
    }
    return -1;
}

// Reads the child's lines until one starts with the prefix; all lines read
// are added to lines.
bool ReadUntil(QProcess& child, const std::string& prefix, std::vector<std::string>& lines, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        while (child.canReadLine()) {
            std::string line = child.readLine().trimmed().toStdString();
            lines.push_back(line);
            if (line.rfind(prefix, 0) == 0)
                return true;
        }
        if (child.state() == QProcess::NotRunning && !child.canReadLine())
            return false;
        child.waitForReadyRead(100);
    }
    return false;
}

bool RunTool(const QString& display, const QString& program, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    p.setProcessEnvironment(env);
    p.start(program, args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

TEST(XvfbWindowTest, ARealWindowTakesKeysAndClicksAndShowsItsPicture) {
    if (std::getenv("REZ_XVFB_CHILD") != nullptr)
        GTEST_SKIP() << "the child runs the inner test";
    if (!OnPath("Xvfb") || !OnPath("xdotool"))
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    // Another server may take the number between our look and our start:
    // then ours exits, and the next number is tried.
    TProcesses processes;
    QString display;
    for (int attempt = 0; attempt < 5 && display.isEmpty(); ++attempt) {
        const int number = FreeDisplay();
        if (number < 0)
            break;
        const QString name = ":" + QString::number(number);
        processes.Server.start("Xvfb", {name, "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        QElapsedTimer timer;
        timer.start();
        while (!std::filesystem::exists(socket) && timer.elapsed() < 10000 &&
               processes.Server.state() != QProcess::NotRunning)
            processes.Server.waitForFinished(50);
        processes.Server.waitForFinished(200);
        if (std::filesystem::exists(socket) && processes.Server.state() == QProcess::Running)
            display = name;
        else if (processes.Server.state() != QProcess::NotRunning) {
            processes.Server.kill();
            processes.Server.waitForFinished(5000);
        }
    }
    if (display.isEmpty())
        GTEST_SKIP() << "no display came up";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("REZ_XVFB_CHILD", "1");
    env.insert("REZ_XVFB_WINDOW_CHILD", "1");
    env.insert("QT_QPA_PLATFORM", "xcb");
    processes.Child.setProcessEnvironment(env);
    processes.Child.setProcessChannelMode(QProcess::SeparateChannels);
    const QString self = QString::fromStdString(std::filesystem::read_symlink("/proc/self/exe").string());
    processes.Child.start(self, {"--gtest_filter=XvfbWindowChild.*"});
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadUntil(processes.Child, "READY", lines, 30000))
        << "the child did not show its window: " << processes.Child.readAllStandardError().toStdString();
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(lines.back().c_str(), "READY %d %d", &x, &y), 2);

    // The picture first, while nothing has touched the window.
    if (OnPath("import")) {
        const std::string shot =
            (std::filesystem::temp_directory_path() / ("rez-xvfb-" + std::to_string(getpid()) + ".png")).string();
        const QString crop = QString("%1x%2+%3+%4").arg(kWidth).arg(kHeight).arg(x).arg(y);
        ASSERT_TRUE(
            RunTool(display, "import", {"-window", "root", "-crop", crop, "+repage", QString::fromStdString(shot)}));
        HBITMAP picture = LoadBitmapFromPng(shot);
        std::filesystem::remove(shot);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(TestSupport::CompareWithGolden(picture, "xvfb-smoke-window", 8, 0), "");
        DeleteBitmap(picture);
    }

    // A click in the client, a click on the pane's down arrow (the pane's
    // bar runs from 164 to 180 across and 10 to 110 down), two letters,
    // Return, and Escape to end.
    auto at = [&](int cx, int cy) {
        return QStringList{"mousemove", QString::number(x + cx), QString::number(y + cy)};
    };
    ASSERT_TRUE(RunTool(display, "xdotool",
                        at(50, 30) << "click"
                                   << "1"));
    ASSERT_TRUE(RunTool(display, "xdotool",
                        at(172, 102) << "click"
                                     << "1"));
    ASSERT_TRUE(RunTool(display, "xdotool",
                        at(50, 30) << "type"
                                   << "--delay"
                                   << "50"
                                   << "ab"));
    ASSERT_TRUE(RunTool(display, "xdotool", {"key", "Return"}));
    ASSERT_TRUE(RunTool(display, "xdotool", {"key", "Escape"}));
    lines.clear();
    EXPECT_TRUE(ReadUntil(processes.Child, "DONE", lines, 30000));
    std::vector<std::string> trace;
    for (const std::string& line : lines)
        if (line.rfind("TRACE ", 0) == 0)
            trace.push_back(line.substr(6));
    EXPECT_EQ(trace, (std::vector<std::string>{"WM_LBUTTONDOWN 50,30", "WM_VSCROLL LINEDOWN", "WM_VSCROLL ENDSCROLL",
                                               "WM_CHAR 61", "WM_CHAR 62", "WM_KEYDOWN 0D", "WM_CHAR 0D"}));
}

}  // namespace
