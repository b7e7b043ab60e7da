#include "shell/ModalRunner.h"

#include "platform/HeadlessMessage.h"

#include <QDialog>
#include <QGuiApplication>

#include <cstdio>

namespace {
TModalRunner& Runner() {
    static TModalRunner runner;
    return runner;
}

} // namespace

TModalRunner SetModalRunner(TModalRunner runner) {
    TModalRunner previous = std::move(Runner());
    Runner() = std::move(runner);
    return previous;
}

int RunModal(QDialog& dialog) {
    if (Runner()) {
        // A copy, so that a runner may install another one while it runs.
        const TModalRunner runner = Runner();
        return runner(dialog);
    }
    if (NobodyWatching()) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog))
            std::fprintf(stderr, "%s\n", qPrintable(box->text()));
        return QDialog::Rejected;
    }
    return dialog.exec();
}

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    RunModal(box);
}
