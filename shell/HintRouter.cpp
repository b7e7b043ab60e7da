#include "shell/HintRouter.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>

THintRouter::THintRouter(QObject* parent) : QObject(parent) {}

THintRouter* THintRouter::Instance() {
    static QPointer<THintRouter> router;
    if (!router && qApp) {
        router = new THintRouter(qApp);
        qApp->installEventFilter(router);
    }
    return router;
}

void THintRouter::SetHint(const QString& hint) {
    if (hint == m_hint) return;
    m_hint = hint;
    emit HintChanged(m_hint);
}

QString THintRouter::ControlHint(const QWidget* control) {
    const QVariant own = control->property("hint");
    if (own.isValid()) return own.toString();
    return control->toolTip();
}

QString THintRouter::HintFrom(const QWidget* control) {
    for (const QWidget* w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const QString hint = ControlHint(w);
        if (!hint.isEmpty()) return hint;
    }
    return QString();
}

bool THintRouter::eventFilter(QObject* watched, QEvent* event) {
    // Qt sends Leave to the control the mouse left and then Enter to each
    // control it entered, outermost first, so the last Enter names the
    // control now under the mouse; a Leave alone means it went back to the parent.
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            if (event->type() == QEvent::Enter)
                SetHint(HintFrom(widget));
            else
                SetHint(widget->isWindow() ? QString() : HintFrom(widget->parentWidget()));
        }
    }
    return QObject::eventFilter(watched, event);
}
