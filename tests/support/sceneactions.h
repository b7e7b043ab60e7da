#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QWidget;
class TfrmMainTalvex;

// What a user does on the main window, through its real controls found by
// objectName.

// Clicks the button named.
void ClickButton(TfrmMainTalvex& form, const char* name);
// The control named, or nullptr.
QWidget* Control(TfrmMainTalvex& form, const char* name);
// The entries of a selector, in order.
QStringList Entries(const QComboBox* selector);
// Picks the entry named in the selector named, as a user does in its list;
// false if there is no such entry.
bool Pick(TfrmMainTalvex& form, const char* selector, const QString& entry);
// The selector's chosen entry, empty for none.
QString Chosen(TfrmMainTalvex& form, const char* selector);
