#include "layout/selection/ScrollPlacement.h"

#include <algorithm>

TCaretScrollOptions& CaretScrollOptions() {
    static TCaretScrollOptions options;
    return options;
}

TViewPoint PlaceRectInView(Platform::TRect r, int mode, const TScrollFrame& frame) {
    const std::int32_t w = frame.Width, h = frame.Height;
    const Platform::TRect view{frame.Pos.X, frame.Pos.Y, frame.Pos.X + w, frame.Pos.Y + h};
    TViewPoint pos = frame.Pos;
    const bool margin = mode == spMargin && frame.HorizontalMargin;

    if (r.Left < view.Left) {
        pos.X = r.Left - (margin ? w / 5 : 0);
    } else if (r.Right > view.Right) {
        // A rectangle wider than the window shows from its left edge.
        if (r.Right - r.Left < w)
            pos.X += r.Right - view.Right + (margin ? w / 5 : 0);
        else
            pos.X = r.Left;
    }

    r.Top -= std::max(0, frame.BarCover);
    const std::int32_t rh = r.Bottom - r.Top;
    if (r.Top < view.Top) {
        pos.Y = r.Top;
    } else if (mode == spCentre || mode == spNearTop) {
        std::int32_t d = mode == spCentre ? h / 2 : h * 5 / 100;
        if (mode == spNearTop)
            d = std::max(d, rh);
        if (view.Top + d < r.Bottom)
            pos.Y += r.Bottom - (view.Top + d);
        pos.Y = std::max(pos.Y, view.Top);
    } else if (r.Bottom > view.Bottom) {
        if (rh < h)
            pos.Y += r.Bottom - view.Bottom;
        else
            pos.Y = r.Top;
    }

    if (frame.Context && rh < h) {
        // A further third of what the window shows beside the rectangle,
        // in the direction of the move.
        if (pos.Y < view.Top)
            pos.Y -= (h - rh) / 3;
        if (r.Bottom >= view.Bottom)
            pos.Y += (h - rh) / 3;
    }

    // The horizontal position is only kept from running past the view's
    // right edge; the vertical one is raised to 0 first and then lowered
    // to the view's bottom. For a view smaller than the window that may
    // leave a negative position, which ScrollTo's clamp settles.
    pos.X = std::min(pos.X, frame.Extent.X - w);
    pos.Y = std::max(pos.Y, 0);
    pos.Y = std::min(pos.Y, frame.Extent.Y - h);
    return pos;
}
