#include "support/hh_funcs.h"

#include "support/DLogFile.h"
#include "support/HelpWindow.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QtHelp/qthelpversion.h>

#include <utility>

namespace {

bool& Installed() {
    static bool installed = true;
    return installed;
}

QPointer<THelpWindow>& Window() {
    static QPointer<THelpWindow> window;
    return window;
}

void Trace(const QString& format, const QVariantList& args = {}) {
    if (TDLogFile* log = DLogFile()) log->DebugOut2(format, args);
}

} // namespace

QWidget* HtmlHelpW(QWidget* owner, const QString& path, unsigned command, quintptr data) {
    if (command == HH_CLOSE_ALL) {
        if (Window()) delete Window().data();
        return nullptr;
    }
    if (command != HH_HELP_CONTEXT) return nullptr;
    const QString helpFile = path.section(QLatin1Char('>'), 0, 0);
    if (Window() && Window()->HelpFile() != helpFile) delete Window().data();
    if (!Window()) {
        Window() = new THelpWindow(helpFile);
        // A new help window stands in the middle of the screen the program is on.
        QWidget* near = owner ? owner : QApplication::activeWindow();
        QScreen* screen = near ? near->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect free = screen->availableGeometry();
            Window()->resize(Window()->size().boundedTo(free.size()));
            Window()->move(free.center() - Window()->rect().center());
        }
    }
    Window()->ShowTopic(static_cast<int>(data));
    if (Window()->isMinimized())
        Window()->showNormal();
    else
        Window()->show();
    return Window();
}

bool HHInstalled() {
    return Installed();
}

void HHSetInstalled(bool installed) {
    Installed() = installed;
}

QString HHVersion() {
    QStringList parts = QStringLiteral(QTHELP_VERSION_STR).split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    return parts.join(QLatin1Char('.'));
}

THelpWindow* HHHelpWindow() {
    return Window();
}

void HHCloseAll() {
    HtmlHelpW(nullptr, QString(), HH_CLOSE_ALL, 0);
    QThread::yieldCurrentThread();
}

QString HHErrorText(int code) {
    switch (code) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral("MS Html Help is not installed on this PC.");
    case 2:
        return QStringLiteral("System file KeyHH.EXE was not found in the Windows folder.");
    case 3:
        return QStringLiteral("System file HH.EXE was not found in the Windows folder.");
    default:
        return QStringLiteral("Unknown error returned by HHelpContext");
    }
}

void HHShowError(int code) {
    if (code == 0) return;
    const QString text = HHErrorText(code);
    Trace(QStringLiteral("HHShowError(%d), \"%s\""), {code, text});
    ShowWarning(text);
}

QString HelpCommandText(quint16 command) {
    const char* name = "??";
    switch (command) {
    case HELP_CONTEXT:
        name = "HELP_CONTEXT";
        break;
    case HELP_QUIT:
        name = "HELP_QUIT";
        break;
    case HELP_CONTENTS:
        name = "HELP_INDEX or HELP_CONTENTS";
        break;
    case HELP_HELPONHELP:
        name = "HELP_HELPONHELP";
        break;
    case HELP_SETCONTENTS:
        name = "HELP_SETINDEX or HELP_SETCONTENTS";
        break;
    case HELP_CONTEXTPOPUP:
        name = "HELP_CONTEXTPOPUP";
        break;
    case HELP_FORCEFILE:
        name = "HELP_FORCEFILE";
        break;
    case HELP_CONTEXTMENU:
        name = "HELP_CONTEXTMENU";
        break;
    case HELP_FINDER:
        name = "HELP_FINDER";
        break;
    case HELP_WM_HELP:
        name = "HELP_WM_HELP";
        break;
    case HELP_SETPOPUP_POS:
        name = "HELP_SETPOPUP_POS";
        break;
    case HELP_KEY:
        name = "HELP_KEY";
        break;
    case HELP_COMMAND:
        name = "HELP_COMMAND";
        break;
    case HELP_PARTIALKEY:
        name = "HELP_PARTIALKEY";
        break;
    case HELP_MULTIKEY:
        name = "HELP_MULTIKEY";
        break;
    case HELP_SETWINPOS:
        name = "HELP_SETWINPOS";
        break;
    default:
        break;
    }
    return QStringLiteral("%1 (%2)").arg(command).arg(QLatin1String(name));
}

THookHelpSystem::THookHelpSystem(const QString& aDefChmFile, THostType aHostType, const QString& aDefWinDef)
    : FChmFile(aDefChmFile), FWinDef(aDefWinDef), FHostType(aHostType) {
    Trace(QStringLiteral("THookHelpSystem.Create(\"%s\",\"%s\", %d)"), {FChmFile, FWinDef, int(FHostType)});
    FOldHelpEvent = SetApplicationOnHelp(
        [this](quint16 command, qintptr data, bool& callHelp) { return HelpHook(command, data, callHelp); });
}

THookHelpSystem::~THookHelpSystem() {
    Trace(QStringLiteral("THookHelpSystem.Destroy"));
    if (FHostType == htHHAPI) HHCloseAll();
    SetApplicationOnHelp(std::move(FOldHelpEvent));
}

bool THookHelpSystem::HelpHook(quint16 Command, qintptr Data, bool& CallHelp) {
    Trace(QStringLiteral("THookHelpSystem.HelpHook(%s, %d)"), {HelpCommandText(Command), qint64(Data)});
    if (FOKToCallOldHelpEvent && FOldHelpEvent) FOldHelpEvent(Command, Data, CallHelp);
    switch (Command) {
    case HELP_CONTEXT:
        if (HelpCallback1)
            HelpCallback1(static_cast<qint32>(Data));
        else
            HelpContext(static_cast<qint32>(Data));
        CallHelp = false;
        break;
    case HELP_CONTEXTPOPUP:
        if (HelpCallback2)
            HelpCallback2(static_cast<qint32>(Data));
        else
            HelpContext(static_cast<qint32>(Data));
        CallHelp = false;
        break;
    case HELP_SETPOPUP_POS:
        FPopupXY = QPoint(static_cast<qint16>(Data & 0xFFFF), static_cast<qint16>((Data >> 16) & 0xFFFF));
        CallHelp = false;
        break;
    default:
        CallHelp = true;
        break;
    }
    return true;
}

qint32 THookHelpSystem::HelpContext(qint32 ContextID) {
    Trace(QStringLiteral("HHelpContext(\"%s\", %d, \"%s\", %d)"),
          {FChmFile, ContextID, FWinDef, int(FHostType)});
    QString path = FChmFile;
    path.replace(QStringLiteral("%20"), QStringLiteral(" "));
    path = path.trimmed();
    if (!FWinDef.isEmpty()) path += QLatin1Char('>') + FWinDef;

    qint32 result = 0;
    switch (FHostType) {
    case htHHAPI: {
        Trace(QStringLiteral("ShowContext(\"%s\", %d)"), {path, int(FHostType)});
        if (!HHInstalled()) {
            result = 1;
        } else if (QWidget* window =
                       HtmlHelpW(nullptr, path, HH_HELP_CONTEXT, static_cast<quintptr>(ContextID))) {
            window->raise();
            window->activateWindow();
        }
        Trace(QStringLiteral("  returned - %d"), {result});
        break;
    }
    // Neither viewer program exists here.
    case htKeyHHexe:
        result = 2;
        break;
    case htHHexe:
        result = 3;
        break;
    }
    HHShowError(result);
    return result;
}
