#include "tests/support/mainformfixture.h"

#include "platform/Paths.h"
#include "shell/ModalRunner.h"
#include "shell/PlainMessage.h"

#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTest>

TModalRecorder::TModalRecorder() {
    SetModalRunner([this](QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            Messages << box->text();
            return int(QMessageBox::Ok);
        }
        DialogClasses << QString::fromLatin1(dialog.metaObject()->className());
        return Answer ? Answer(dialog) : int(QDialog::Rejected);
    });
    SetPlainMessageHandler([this](const QString& text) { Messages << text; });
}

TModalRecorder::~TModalRecorder() {
    SetModalRunner(nullptr);
    SetPlainMessageHandler(nullptr);
}

std::unique_ptr<TTestMainForm> NewMainForm(bool show) {
    QFile::remove(SettingsFileName());
    auto form = std::make_unique<TTestMainForm>();
    if (show) {
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) qWarning("main window not exposed");
        form->FormActivate();
    }
    return form;
}
