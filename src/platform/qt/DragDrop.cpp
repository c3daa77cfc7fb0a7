#include "platform/DragDrop.h"

#include <QtCore/QMimeData>
#include <QtGui/QDrag>
#include <QtGui/QDropEvent>
#include <QtGui/QGuiApplication>

#include <algorithm>
#include <unordered_map>

#include "platform/MessageQueue.h"
#include "platform/qt/Desktop.h"
#include "platform/qt/DesktopWindow.h"
#include "platform/qt/DropTargets.h"
#include "platform/qt/MimeFormats.h"

namespace Platform {
namespace {

std::unordered_map<HWND, IDropTarget*>& Targets() {
    static std::unordered_map<HWND, IDropTarget*> targets;
    return targets;
}

// The drag now over one of our windows: the window whose target was told
// of it last, so that moving between windows leaves one and enters the next.
struct TSession {
    HWND Window = nullptr;
    IDropTarget* Target = nullptr;
};
TSession g_session;

class TMimeDropData final : public TDropData {
public:
    explicit TMimeDropData(const QMimeData* mime) : Mime(mime) {}
    std::vector<std::uint32_t> Formats() const override { return MimeFormats(Mime); }
    bool Has(std::uint32_t format) const override {
        const auto formats = MimeFormats(Mime);
        return std::find(formats.begin(), formats.end(), format) != formats.end();
    }
    std::optional<std::vector<std::uint8_t>> Get(std::uint32_t format) const override {
        if (Mime == nullptr)
            return std::nullopt;
        return ReadMimeFormat(*Mime, format);
    }

private:
    const QMimeData* Mime;
};

std::uint32_t EffectsOf(Qt::DropActions actions) {
    std::uint32_t effects = DROPEFFECT_NONE;
    if (actions & Qt::CopyAction)
        effects |= DROPEFFECT_COPY;
    if (actions & Qt::MoveAction)
        effects |= DROPEFFECT_MOVE;
    if (actions & Qt::LinkAction)
        effects |= DROPEFFECT_LINK;
    return effects;
}

Qt::DropActions ActionsOf(std::uint32_t effects) {
    Qt::DropActions actions;
    if (effects & DROPEFFECT_COPY)
        actions |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE)
        actions |= Qt::MoveAction;
    if (effects & DROPEFFECT_LINK)
        actions |= Qt::LinkAction;
    return actions;
}

// The one action of a target's answer: a target may answer with more than
// one effect, or with one it was not offered; move wins over copy over link,
// as a drop can do only one.
Qt::DropAction ActionOf(std::uint32_t effect, std::uint32_t allowed) {
    effect &= allowed;
    if (effect & DROPEFFECT_MOVE)
        return Qt::MoveAction;
    if (effect & DROPEFFECT_COPY)
        return Qt::CopyAction;
    if (effect & DROPEFFECT_LINK)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

unsigned KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    unsigned state = 0;
    if (buttons & Qt::LeftButton)
        state |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        state |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        state |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        state |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        state |= MK_CONTROL;
    if (modifiers & Qt::AltModifier)
        state |= MK_ALT;
    return state;
}

// The window under the point that takes drops: the window there or its
// nearest ancestor with a target, within the top-level window.
std::pair<HWND, IDropTarget*> TargetAt(HWND topLevel, TPoint screen) {
    HWND window = WindowFromPoint(screen);
    if (window == nullptr || GetAncestor(window, GA_ROOT) != topLevel)
        window = topLevel;
    for (HWND w = window; w != nullptr; w = GetAncestor(w, GA_PARENT)) {
        const auto it = Targets().find(w);
        if (it != Targets().end() && IsWindow(w))
            return {w, it->second};
        if (w == topLevel)
            break;
    }
    return {nullptr, nullptr};
}

void Leave() {
    IDropTarget* target = g_session.Target;
    g_session = {};
    if (target != nullptr)
        target->DragLeave();
}

}  // namespace

bool RegisterDragDrop(HWND window, IDropTarget* target) {
    if (!IsWindow(window) || target == nullptr)
        return false;
    // Targets left behind by destroyed windows go now; their handles are
    // never reused, so they were never called since.
    std::erase_if(Targets(), [](const auto& entry) { return !IsWindow(entry.first); });
    return Targets().emplace(window, target).second;
}

bool RevokeDragDrop(HWND window) {
    const auto it = Targets().find(window);
    if (it == Targets().end())
        return false;
    if (g_session.Target == it->second && g_session.Window == window)
        g_session = {};
    Targets().erase(it);
    return true;
}

bool DeliverDragEvent(HWND topLevel, QEvent* e) {
    switch (e->type()) {
        case QEvent::DragLeave:
            Leave();
            e->accept();
            return true;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            break;
        default:
            return false;
    }
    auto* drop = static_cast<QDropEvent*>(e);
    // The desktop window shows the whole window rectangle (the menu bar too).
    TRect frame;
    GetWindowRect(topLevel, frame);
    const TPoint screen{frame.Left + static_cast<std::int32_t>(drop->position().x()),
                        frame.Top + static_cast<std::int32_t>(drop->position().y())};
    const unsigned keys = KeyStateOf(drop->buttons(), drop->modifiers());
    const std::uint32_t allowed = EffectsOf(drop->possibleActions());
    const TMimeDropData data(drop->mimeData());
    // A new drag starts afresh, even when the last one never said goodbye.
    if (e->type() == QEvent::DragEnter)
        Leave();
    const auto [window, target] = TargetAt(topLevel, screen);
    std::uint32_t effect = DROPEFFECT_NONE;
    if (window != g_session.Window || target != g_session.Target) {
        Leave();
        if (target != nullptr) {
            g_session = {window, target};
            effect = target->DragEnter(data, keys, screen, allowed);
        }
    } else if (target != nullptr && e->type() != QEvent::Drop) {
        effect = target->DragOver(keys, screen, allowed);
    }
    if (e->type() == QEvent::Drop) {
        effect = DROPEFFECT_NONE;
        if (target != nullptr && IsWindow(window))
            effect = target->Drop(data, keys, screen, allowed);
        g_session = {};
    }
    const Qt::DropAction action = ActionOf(effect, allowed);
    drop->setDropAction(action);
    // The entering event is taken even when nothing under the point takes
    // drops, so that the moves over the windows that do still come.
    if (action != Qt::IgnoreAction || e->type() == QEvent::DragEnter)
        drop->accept();
    else
        drop->ignore();
    return true;
}

std::int32_t DoDragDrop(HWND source, const TDragData& data, std::uint32_t allowed, std::uint32_t& effect) {
    effect = DROPEFFECT_NONE;
    allowed &= DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    if (allowed == DROPEFFECT_NONE || !IsMainThread() || !Desktop::Ensure())
        return E_INVALIDARG;
    auto* mime = new QMimeData;
    for (const auto& [format, bytes] : data.Formats) {
        if (!WriteMimeFormat(*mime, format, bytes)) {
            delete mime;
            return E_INVALIDARG;
        }
    }
    QObject* owner = DesktopWindowOf(source == nullptr ? nullptr : GetAncestor(source, GA_ROOT));
    if (owner == nullptr)
        owner = QGuiApplication::instance();
    // The drag owns the data and runs the desktop's events until the drop.
    QDrag* drag = new QDrag(owner);
    drag->setMimeData(mime);
    const Qt::DropAction preferred = (allowed & DROPEFFECT_MOVE) ? Qt::MoveAction : ActionOf(allowed, allowed);
    const Qt::DropAction done = drag->exec(ActionsOf(allowed), preferred);
    drag->deleteLater();
    effect = EffectsOf(done) & allowed;
    return effect == DROPEFFECT_NONE ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
}

}  // namespace Platform
