#pragma once

#include <QtGlobal>

#include <functional>

// The toolkit's application-wide help event: every help request of the
// program (F1 on a control, a help menu command) arrives at one handler as a
// command and a data value, in the manner of the Windows help commands.
constexpr quint16 HELP_CONTEXT = 1;
constexpr quint16 HELP_QUIT = 2;
constexpr quint16 HELP_CONTENTS = 3;
constexpr quint16 HELP_HELPONHELP = 4;
constexpr quint16 HELP_SETCONTENTS = 5;
constexpr quint16 HELP_CONTEXTPOPUP = 8;
constexpr quint16 HELP_FORCEFILE = 9;
constexpr quint16 HELP_CONTEXTMENU = 10;
constexpr quint16 HELP_FINDER = 11;
constexpr quint16 HELP_WM_HELP = 12;
constexpr quint16 HELP_SETPOPUP_POS = 13;
constexpr quint16 HELP_KEY = 257;
constexpr quint16 HELP_COMMAND = 258;
constexpr quint16 HELP_PARTIALKEY = 261;
constexpr quint16 HELP_MULTIKEY = 513;
constexpr quint16 HELP_SETWINPOS = 515;

// Answers a request; sets callHelp to false when nothing further is to be done.
using THelpEvent = std::function<bool(quint16 command, qintptr data, bool& callHelp)>;

THelpEvent ApplicationOnHelp();
// Installs a handler (empty: none); returns the previous one.
THelpEvent SetApplicationOnHelp(THelpEvent handler);

// Hands a request to the installed handler. There is no system help viewer
// to fall back on, so a request nobody answers does nothing; the result is
// the handler's, false without one.
bool ApplicationHelpCommand(quint16 command, qintptr data);
// The request for one numbered topic (HELP_CONTEXT).
bool ApplicationHelpContext(int context);
