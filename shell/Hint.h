#pragma once

#include <QString>

class QWidget;

// Hints are "short|long": the tooltip shows the short part, the status line
// the long part. A hint without "|" is both.
QString ShortHint(const QString& hint);
QString LongHint(const QString& hint);

// Gives a control its hint: the whole text as the dynamic property "hint",
// the short part as tooltip, the long part as status tip (a QMainWindow shows
// status tips in its status bar while the mouse is over the control).
void ApplyHint(QWidget* control, const QString& hint);
