#include "platform/DragDrop.h"

#include <QtCore/QMimeData>
#include <QtCore/QUrl>
#include <QtGui/QDropEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QWindow>

#include <gtest/gtest.h>

#include <string>

#include "WindowTrace.h"
#include "platform/Clipboard.h"
#include "platform/qt/DesktopWindow.h"

namespace {

using namespace Platform;
using namespace WindowTrace;

std::uint32_t EffectsOfForTest(Qt::DropActions actions) {
    return ((actions & Qt::CopyAction) ? DROPEFFECT_COPY : 0) | ((actions & Qt::MoveAction) ? DROPEFFECT_MOVE : 0) |
           ((actions & Qt::LinkAction) ? DROPEFFECT_LINK : 0);
}

// A target that writes down what it is told and answers with a set effect.
class TRecordingTarget final : public IDropTarget {
public:
    explicit TRecordingTarget(std::string name) : Name(std::move(name)) {}
    std::uint32_t DragEnter(const TDropData& data, unsigned keyState, TPoint point, std::uint32_t allowed) override {
        Note("enter", keyState, point, allowed);
        SawText = data.Has(CF_UNICODETEXT);
        return Answer;
    }
    std::uint32_t DragOver(unsigned keyState, TPoint point, std::uint32_t allowed) override {
        Note("over", keyState, point, allowed);
        return Answer;
    }
    void DragLeave() override { Log->push_back(Name + " leave"); }
    std::uint32_t Drop(const TDropData& data, unsigned keyState, TPoint point, std::uint32_t allowed) override {
        Note("drop", keyState, point, allowed);
        Dropped = data.Get(CF_UNICODETEXT);
        Files = data.Get(CF_HDROP);
        return Answer;
    }

    std::string Name;
    std::vector<std::string>* Log = nullptr;
    std::uint32_t Answer = DROPEFFECT_COPY;
    unsigned LastKeys = 0;
    TPoint LastPoint;
    std::uint32_t LastAllowed = 0;
    bool SawText = false;
    std::optional<std::vector<std::uint8_t>> Dropped;
    std::optional<std::vector<std::uint8_t>> Files;

private:
    void Note(const char* what, unsigned keys, TPoint point, std::uint32_t allowed) {
        Log->push_back(Name + " " + what);
        LastKeys = keys;
        LastPoint = point;
        LastAllowed = allowed;
    }
};

// A top-level window at (50, 60) whose right half is a child window; both
// can take drops.
class DragDropTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        static bool registered = [] {
            TWndClass wc;
            wc.lpfnWndProc = &DefWindowProc;
            wc.lpszClassName = u"DropHost";
            RegisterClass(wc);
            return true;
        }();
        (void)registered;
        Top = CreateWindowEx(0, u"DropHost", u"", WS_POPUP | WS_VISIBLE, 50, 60, 200, 100, nullptr, 0, nullptr);
        Child = CreateWindowEx(0, u"DropHost", u"", WS_CHILD | WS_VISIBLE, 100, 0, 100, 100, Top, 0, nullptr);
        TopTarget.Log = &Log;
        ChildTarget.Log = &Log;
        // Qt keeps text and URL lists apart only when the text is set last.
        Mime.setUrls({QUrl::fromLocalFile("/tmp/d.rtf")});
        Mime.setText("dragged");
    }
    void TearDown() override {
        RevokeDragDrop(Top);
        RevokeDragDrop(Child);
        TWindowTest::TearDown();
    }
    // Sends one desktop drag event to the top-level window; returns whether
    // it was accepted and the action it was given.
    std::pair<bool, Qt::DropAction> Send(QEvent::Type type,
                                         QPoint at,
                                         Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
                                         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWindow* window = DesktopWindowOf(Top);
        EXPECT_NE(window, nullptr);
        if (type == QEvent::DragLeave) {
            QDragLeaveEvent leave;
            QGuiApplication::sendEvent(window, &leave);
            return {leave.isAccepted(), Qt::IgnoreAction};
        }
        if (type == QEvent::DragEnter) {
            QDragEnterEvent e(at, actions, &Mime, Qt::LeftButton, modifiers);
            QGuiApplication::sendEvent(window, &e);
            return {e.isAccepted(), e.dropAction()};
        }
        if (type == QEvent::DragMove) {
            QDragMoveEvent e(at, actions, &Mime, Qt::LeftButton, modifiers);
            QGuiApplication::sendEvent(window, &e);
            return {e.isAccepted(), e.dropAction()};
        }
        QDropEvent e(QPointF(at), actions, &Mime, Qt::LeftButton, modifiers);
        QGuiApplication::sendEvent(window, &e);
        return {e.isAccepted(), e.dropAction()};
    }

    HWND Top = nullptr;
    HWND Child = nullptr;
    std::vector<std::string> Log;
    TRecordingTarget TopTarget{"top"};
    TRecordingTarget ChildTarget{"child"};
    QMimeData Mime;
};

TEST_F(DragDropTest, ADragLeavesOneWindowAndEntersTheNext) {
    ASSERT_TRUE(RegisterDragDrop(Top, &TopTarget));
    ASSERT_TRUE(RegisterDragDrop(Child, &ChildTarget));
    EXPECT_FALSE(RegisterDragDrop(Top, &ChildTarget));

    EXPECT_TRUE(Send(QEvent::DragEnter, {10, 10}).first);
    EXPECT_TRUE(TopTarget.SawText);
    EXPECT_EQ(TopTarget.LastPoint.X, 60);
    EXPECT_EQ(TopTarget.LastPoint.Y, 70);
    Send(QEvent::DragMove, {20, 10});
    Send(QEvent::DragMove, {150, 50});
    Send(QEvent::DragMove, {160, 50});
    Send(QEvent::Drop, {160, 50});
    EXPECT_EQ(Log, (std::vector<std::string>{"top enter", "top over", "top leave", "child enter", "child over",
                                             "child drop"}));
    std::vector<std::u16string> files;
    ASSERT_TRUE(ChildTarget.Files.has_value());
    ASSERT_TRUE(DecodeDropFiles(*ChildTarget.Files, files));
    EXPECT_EQ(files, std::vector<std::u16string>{u"/tmp/d.rtf"});
    ASSERT_TRUE(ChildTarget.Dropped.has_value());
    EXPECT_EQ(ChildTarget.Dropped->size(), (7u + 1) * 2);

    // A drag that leaves the window tells the target it was over.
    Log.clear();
    Send(QEvent::DragEnter, {150, 50});
    Send(QEvent::DragLeave, {});
    EXPECT_EQ(Log, (std::vector<std::string>{"child enter", "child leave"}));
}

TEST_F(DragDropTest, ADropTakesOneOfTheAllowedEffects) {
    struct Case {
        const char* Label;
        std::uint32_t Answer;
        Qt::DropActions Offered;
        bool Accepted;
        Qt::DropAction Action;
    };
    const Case cases[] = {
        {"copy", DROPEFFECT_COPY, Qt::CopyAction | Qt::MoveAction, true, Qt::CopyAction},
        {"move", DROPEFFECT_MOVE, Qt::CopyAction | Qt::MoveAction, true, Qt::MoveAction},
        {"link", DROPEFFECT_LINK, Qt::LinkAction, true, Qt::LinkAction},
        {"several: move wins", DROPEFFECT_COPY | DROPEFFECT_MOVE, Qt::CopyAction | Qt::MoveAction, true,
         Qt::MoveAction},
        {"not offered", DROPEFFECT_MOVE, Qt::CopyAction, false, Qt::IgnoreAction},
        {"refused", DROPEFFECT_NONE, Qt::CopyAction, false, Qt::IgnoreAction},
        {"scroll flag alone", DROPEFFECT_SCROLL, Qt::CopyAction, false, Qt::IgnoreAction},
    };
    ASSERT_TRUE(RegisterDragDrop(Top, &TopTarget));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        TopTarget.Answer = c.Answer;
        Send(QEvent::DragEnter, {10, 10}, c.Offered);
        const auto moved = Send(QEvent::DragMove, {11, 10}, c.Offered);
        EXPECT_EQ(moved.first, c.Accepted);
        EXPECT_EQ(moved.second, c.Action);
        const auto dropped = Send(QEvent::Drop, {12, 10}, c.Offered);
        EXPECT_EQ(dropped.first, c.Accepted);
        EXPECT_EQ(dropped.second, c.Action);
        EXPECT_EQ(TopTarget.LastAllowed, EffectsOfForTest(c.Offered));
    }
}

TEST_F(DragDropTest, TheKeyStateFollowsButtonsAndModifiers) {
    struct Case {
        const char* Label;
        Qt::KeyboardModifiers Modifiers;
        unsigned Keys;
    };
    const Case cases[] = {
        {"none", Qt::NoModifier, MK_LBUTTON},
        {"control", Qt::ControlModifier, MK_LBUTTON | MK_CONTROL},
        {"shift and control", Qt::ShiftModifier | Qt::ControlModifier, MK_LBUTTON | MK_SHIFT | MK_CONTROL},
        {"alt", Qt::AltModifier, MK_LBUTTON | MK_ALT},
    };
    ASSERT_TRUE(RegisterDragDrop(Top, &TopTarget));
    Send(QEvent::DragEnter, {10, 10});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        Send(QEvent::DragMove, {10, 10}, Qt::CopyAction, c.Modifiers);
        EXPECT_EQ(TopTarget.LastKeys, c.Keys);
    }
}

TEST_F(DragDropTest, WindowsWithoutATargetRefuseAndRevokedTargetsHearNothing) {
    // Only the child takes drops: over the rest of the window the drag is
    // refused, though the entering is taken so that moves keep coming.
    ASSERT_TRUE(RegisterDragDrop(Child, &ChildTarget));
    EXPECT_TRUE(Send(QEvent::DragEnter, {10, 10}).first);
    EXPECT_FALSE(Send(QEvent::DragMove, {20, 10}).first);
    EXPECT_TRUE(Send(QEvent::DragMove, {150, 10}).first);
    EXPECT_TRUE(RevokeDragDrop(Child));
    EXPECT_FALSE(RevokeDragDrop(Child));
    EXPECT_FALSE(Send(QEvent::Drop, {150, 10}).first);
    EXPECT_EQ(Log, std::vector<std::string>{"child enter"});

    // A destroyed window's target is never called.
    ASSERT_TRUE(RegisterDragDrop(Child, &ChildTarget));
    DestroyWindow(Child);
    Log.clear();
    EXPECT_FALSE(Send(QEvent::DragMove, {150, 10}).first);
    EXPECT_FALSE(Send(QEvent::Drop, {150, 10}).first);
    EXPECT_TRUE(Log.empty());
    EXPECT_FALSE(RegisterDragDrop(Child, &ChildTarget));
}

TEST_F(DragDropTest, ADragWithNothingAllowedOrDataItCannotCarryIsRefused) {
    TDragData data;
    data.Formats.push_back({CF_UNICODETEXT, {'a', 0, 0, 0}});
    std::uint32_t effect = 99;
    EXPECT_EQ(DoDragDrop(Top, data, DROPEFFECT_NONE, effect), E_INVALIDARG);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    data.Formats.push_back({CF_DIB, {1, 2, 3}});
    EXPECT_EQ(DoDragDrop(Top, data, DROPEFFECT_COPY, effect), E_INVALIDARG);
}

}  // namespace
