#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QMouseEvent>
#include <QtGui/QWindow>

#include "WindowTrace.h"
#include "platform/Windows.h"
#include "platform/qt/DesktopWindow.h"

// The cursor over a window: the class's cursor over the client area, the
// arrow over the frame, unless a parent decides first.
namespace {

using namespace Platform;
using namespace WindowTrace;

bool g_parentDecides = false;

LRESULT ParentProc(HWND window, std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    if (m == WM_SETCURSOR && g_parentDecides) {
        SetCursor(LoadCursor(IDC_WAIT));
        return 1;
    }
    return DefWindowProc(window, m, wParam, lParam);
}

class CursorTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        g_parentDecides = false;
        static const bool registered = [] {
            TWndClass wc;
            wc.lpfnWndProc = &ParentProc;
            wc.lpszClassName = u"CursorParent";
            RegisterClass(wc);
            wc.lpfnWndProc = &DefWindowProc;
            wc.lpszClassName = u"CursorText";
            wc.hCursor = LoadCursor(IDC_IBEAM);
            RegisterClass(wc);
            wc.lpszClassName = u"CursorNone";
            wc.hCursor = nullptr;
            return RegisterClass(wc) != 0;
        }();
        ASSERT_TRUE(registered);
        top = CreateWindowEx(0, u"CursorParent", u"", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 300, 200, nullptr, 0, nullptr);
        CreateWindowEx(0, u"CursorText", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 100, 100, top, 1, nullptr);
        CreateWindowEx(0, u"CursorNone", u"", WS_CHILD | WS_VISIBLE, 150, 0, 100, 100, top, 2, nullptr);
    }
    void MoveTo(QPointF at) {
        QMouseEvent e(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QGuiApplication::sendEvent(DesktopWindowOf(top), &e);
        PumpMessages();
    }
    HWND top = nullptr;
};

TEST_F(CursorTest, TheWindowUnderThePointerShowsItsClassCursor) {
    struct Case {
        const char* Name;
        QPointF At;
        bool ParentDecides;
        std::uintptr_t Cursor;
        Qt::CursorShape Shape;
    };
    const Case cases[] = {
        {"text window's client", {40, 40}, false, IDC_IBEAM, Qt::IBeamCursor},
        {"its scroll bar is frame: the arrow", {92, 40}, false, IDC_ARROW, Qt::ArrowCursor},
        {"back over the text", {10, 10}, false, IDC_IBEAM, Qt::IBeamCursor},
        {"a parent that answers decides", {40, 40}, true, IDC_WAIT, Qt::WaitCursor},
        {"a class without a cursor leaves the last one", {200, 40}, false, IDC_WAIT, Qt::WaitCursor},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        g_parentDecides = c.ParentDecides;
        MoveTo(c.At);
        EXPECT_EQ(CursorId(GetCursor()), c.Cursor);
        EXPECT_EQ(DesktopWindowOf(top)->cursor().shape(), c.Shape);
    }
}

TEST_F(CursorTest, SystemCursorsAreSharedAndUnknownOnesAreRefused) {
    EXPECT_EQ(LoadCursor(IDC_HAND), LoadCursor(IDC_HAND));
    EXPECT_EQ(CursorId(LoadCursor(IDC_SIZEWE)), IDC_SIZEWE);
    EXPECT_EQ(LoadCursor(12345), nullptr);
    EXPECT_EQ(CursorId(nullptr), 0u);
    HCURSOR before = SetCursor(LoadCursor(IDC_CROSS));
    EXPECT_EQ(SetCursor(before), LoadCursor(IDC_CROSS));
    EXPECT_EQ(GetClassLongPtr(GetWindow(top, GW_CHILD), GCLP_HCURSOR),
              reinterpret_cast<std::uintptr_t>(LoadCursor(IDC_IBEAM)));
}

}  // namespace
