#pragma once

#include <QByteArray>
#include <QString>

// Whether the X display named as in $DISPLAY takes connections. Qt ends a
// program that cannot open its display with SIGABRT (a core dump and a
// message about plugins), so the program asks first and can say plainly
// what is wrong.
//
// Only a local display (":1", ":1.0", "unix:1") is judged, by connecting to
// its server's socket in socketFolder, under the abstract name first (X
// servers on Linux listen there as well) and then as a file. Any other
// name (another host, a forwarded display, something unreadable) counts as
// reachable and is left to Qt.
bool X11DisplayReachable(const QByteArray& display,
                         const QString& socketFolder = QStringLiteral("/tmp/.X11-unix"));
