#include "platform/HeadlessMessage.h"

#include <QGuiApplication>

#include <atomic>
#include <cstdio>

namespace {
std::atomic<bool> g_endingFromOutside{false};
} // namespace

void SetEndingFromOutside() {
    g_endingFromOutside = true;
}

bool EndingFromOutside() {
    return g_endingFromOutside;
}

bool NobodyWatching() {
    if (g_endingFromOutside) return true;
    const QString platform = QGuiApplication::platformName();
    return !qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ||
           platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

bool PrintIfHeadless(const QString& text) {
    if (!NobodyWatching()) return false;
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
    return true;
}
