#include "shell/PlainMessage.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>
#include <utility>

namespace {
TPlainMessageHandler& Handler() {
    static TPlainMessageHandler handler;
    return handler;
}
} // namespace

void ShowPlainMessage(const QString& text) {
    if (Handler()) {
        Handler()(text);
        return;
    }
    const QString platform = QGuiApplication::platformName();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ||
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

TPlainMessageHandler SetPlainMessageHandler(TPlainMessageHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}
