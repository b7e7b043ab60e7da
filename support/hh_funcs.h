#pragma once

#include "platform/ApplicationHelp.h"

#include <QPoint>
#include <QString>

#include <functional>

class QWidget;
class THelpWindow;

// How topics are shown: direct calls into the help engine, or launching a
// viewer program (with or without keyword support). The program uses the
// engine only; the viewer programs do not exist on this platform.
enum THostType : quint8 { htHHAPI = 0, htKeyHHexe = 1, htHHexe = 2 };

// The help engine's two commands.
constexpr unsigned HH_HELP_CONTEXT = 15;
constexpr unsigned HH_CLOSE_ALL = 18;

// The help engine: Qt Help showing a compiled help file in the program's own
// help window. HH_HELP_CONTEXT opens (or reuses) that window at the topic data
// and returns it; a file it cannot open is shown as such in the window.
// HH_CLOSE_ALL closes it. path may end in ">window definition", which is
// ignored: the one window has no variants.
QWidget* HtmlHelpW(QWidget* owner, const QString& path, unsigned command, quintptr data);

// The engine counts as installed unless the start-up found that it cannot
// open the program's help file.
bool HHInstalled();
void HHSetInstalled(bool installed);
// The engine's version, four numbers separated by dots.
QString HHVersion();
// The open help window, or nullptr.
THelpWindow* HHHelpWindow();
// Closes every help window.
void HHCloseAll();

// The message for a result code of a help request; empty for 0.
QString HHErrorText(int code);
// Traces the code with its message and shows the message as a warning.
void HHShowError(int code);
// "1 (HELP_CONTEXT)", "99 (??)": a help command as the trace names it.
QString HelpCommandText(quint16 command);

// The help service: takes over the application's help event, so that every
// request for a numbered topic is shown by the help engine.
class THookHelpSystem {
public:
    // Create: remembers the application's help handler and installs HelpHook.
    THookHelpSystem(const QString& aDefChmFile, THostType aHostType, const QString& aDefWinDef);
    // Destroy: closes the help windows (engine host) and restores the old handler.
    ~THookHelpSystem();
    THookHelpSystem(const THookHelpSystem&) = delete;
    THookHelpSystem& operator=(const THookHelpSystem&) = delete;

    // Answers the toolkit's help requests: topics (HELP_CONTEXT, and
    // HELP_CONTEXTPOPUP shown as a normal topic) and the popup position
    // (HELP_SETPOPUP_POS, x in the low and y in the high 16 bits of data);
    // everything else is left to the toolkit (callHelp true).
    bool HelpHook(quint16 Command, qintptr Data, bool& CallHelp);
    // Shows a topic and reports a failure; returns the result code: 0 shown,
    // 1 engine missing, 2 and 3 viewer programs missing.
    qint32 HelpContext(qint32 ContextID);

    QString ChmFile() const { return FChmFile; }
    QPoint PopupXY() const { return FPopupXY; }

    // Replacement actions for topic and popup requests; not set by the program.
    std::function<qint32(qint32 context)> HelpCallback1;
    std::function<qint32(qint32 context)> HelpCallback2;

private:
    THelpEvent FOldHelpEvent;
    QString FChmFile;
    QString FWinDef;
    THostType FHostType;
    QPoint FPopupXY;
    bool FOKToCallOldHelpEvent = false;
};
