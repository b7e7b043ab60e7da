#pragma once

class QEvent;

// Buttons that act while held (the value panels' arrows, the speed steps)
// step on press and release, not on click. What a mouse event on one means:
enum class THeldButtonEdge {
    None,
    // Pressed. The second press of a quick double click arrives as a
    // double-click event instead of a press; it is a press all the same.
    Down,
    // Let go of the last mouse button held; the press may have been any of them.
    Up,
};
THeldButtonEdge HeldButtonEdgeOf(const QEvent* event);
