#include "shell/ContextHelp.h"

#include "platform/ApplicationHelp.h"
#include "platform/Paths.h"
#include "shell/ModalRunner.h"
#include "shell/PlainMessage.h"
#include "support/DLogFile.h"
#include "support/HelpWindow.h"
#include "support/hh_funcs.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

namespace {

int ContextProperty(const QObject* object) {
    bool ok = false;
    const int context = object->property("helpContext").toInt(&ok);
    return ok ? context : 0;
}

} // namespace

QString HelpFilePath(const QString& applicationPath) {
    return ProgramFile(applicationPath, QStringLiteral("Talvex.qch"));
}

std::unique_ptr<THookHelpSystem> StartHelpSystem(const QString& helpFile) {
    // Help requests report their failures in the program's own message boxes.
    SetWarningProc([](const QString& text) { ShowMessageBox(nullptr, QMessageBox::Warning, text); });

    const QString collection = HelpCollectionFile(helpFile);
    QString missing;
    if (!QFileInfo(helpFile).isFile())
        missing = helpFile;
    else if (!QFileInfo(collection).isFile())
        missing = collection;
    HHSetInstalled(true);
    QString outcome = QStringLiteral("OK");
    if (!missing.isEmpty()) {
        outcome = QStringLiteral("missing");
        // Line breaks of a message box are "\n" here.
        ShowPlainMessage(QStringLiteral("Hilfe-Datei nicht gefunden\n") + missing);
    } else {
        QString cause;
        if (!CanOpenHelpFile(helpFile, cause)) {
            outcome = QStringLiteral("cannot open: ") + cause;
            HHSetInstalled(false);
            ShowPlainMessage(HelpFileOpenMessage(helpFile, cause));
        }
    }
    // Which files were looked for, where an installation keeps them elsewhere than a build.
    if (TDLogFile* log = DLogFile())
        log->DebugOut2(QStringLiteral("HelpFileCheck(\"%s\", \"%s\") - %s"), {helpFile, collection, outcome});
    return std::make_unique<THookHelpSystem>(helpFile, htHHAPI, QString());
}

void StopHelpSystem(std::unique_ptr<THookHelpSystem>& help) {
    HHCloseAll();
    help.reset();
}

int HelpContextOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (const auto* menu = qobject_cast<const QMenu*>(w)) {
            if (const QAction* item = menu->activeAction()) {
                if (const int context = ContextProperty(item)) return context;
            }
        }
        if (const int context = ContextProperty(w)) return context;
    }
    return 0;
}

TContextHelpKey::TContextHelpKey(QWidget* window, std::initializer_list<QWidget*> clickFocus)
    : QObject(window), FWindow(window) {
    for (QWidget* surface : clickFocus)
        if (surface) surface->setFocusPolicy(Qt::ClickFocus);
    qApp->installEventFilter(this);
}

TContextHelpKey::~TContextHelpKey() {
    qApp->removeEventFilter(this);
}

int TContextHelpKey::ContextFor(QWidget* widget) const {
    // Menus are windows of their own; they belong to the window they open from.
    const QWidget* owner = widget;
    while (owner && !owner->isWindow())
        owner = owner->parentWidget();
    while (const auto* menu = qobject_cast<const QMenu*>(owner)) {
        owner = menu->parentWidget();
        while (owner && !owner->isWindow())
            owner = owner->parentWidget();
    }
    if (owner != FWindow) return 0;
    return HelpContextOf(widget);
}

bool TContextHelpKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    const int context = widget ? ContextFor(widget) : 0;
    if (context == 0) return false;
    // The topic opens over the program; an open menu would stay in front of it.
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    ApplicationHelpContext(context);
    return true;
}
