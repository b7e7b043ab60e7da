#include "shell/Hint.h"

#include <QWidget>

QString ShortHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void ApplyHint(QWidget* control, const QString& hint) {
    if (!control) return;
    control->setProperty("hint", hint);
    control->setToolTip(ShortHint(hint));
    control->setStatusTip(LongHint(hint));
}
