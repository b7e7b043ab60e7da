#include "platform/HeadlessMessage.h"

#include <QGuiApplication>

#include <cstdio>

bool PrintIfHeadless(const QString& text) {
    const QString platform = QGuiApplication::platformName();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && platform != QLatin1String("offscreen") &&
        platform != QLatin1String("minimal"))
        return false;
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return true;
}
