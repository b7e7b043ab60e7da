#include "shell/HeldButton.h"

#include <QMouseEvent>

THeldButtonEdge HeldButtonEdgeOf(const QEvent* event) {
    if (!event) return THeldButtonEdge::None;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return THeldButtonEdge::Down;
    case QEvent::MouseButtonRelease:
        return static_cast<const QMouseEvent*>(event)->buttons() == Qt::NoButton ? THeldButtonEdge::Up
                                                                                 : THeldButtonEdge::None;
    default:
        return THeldButtonEdge::None;
    }
}
