#include "shell/PlainMessage.h"

#include "platform/HeadlessMessage.h"

#include <QGuiApplication>
#include <QMessageBox>

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
    if (PrintIfHeadless(text)) return;
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

TPlainMessageHandler SetPlainMessageHandler(TPlainMessageHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}
